#include "App/MenuLogo.h"

#include "App/ImageTinting.h"

#include <QPainter>
#include <algorithm>

namespace quorvel::MenuLogo {

namespace {

constexpr double countingAlpha = 0.01;

// The smallest rectangle holding every pixel whose alpha is above 0.01; empty when there is none.
QRect drawnArea(const QImage& image) {
    int smallestX = image.width(), smallestY = image.height(), largestX = -1, largestY = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) / 255.0 <= countingAlpha)
                continue;
            smallestX = std::min(smallestX, x);
            smallestY = std::min(smallestY, y);
            largestX = std::max(largestX, x);
            largestY = std::max(largestY, y);
        }
    }
    if (largestX < smallestX || largestY < smallestY)
        return {};
    return QRect(smallestX, smallestY, largestX - smallestX + 1, largestY - smallestY + 1);
}

} // namespace

QImage maskToAlpha(const QImage& image) {
    QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int luminance =
                qRound(0.2126 * qRed(in[x]) + 0.7152 * qGreen(in[x]) + 0.0722 * qBlue(in[x]));
            out[x] = qRgba(luminance, luminance, luminance, luminance);
        }
    }
    return result;
}

std::optional<QImage> mask(const QString& file, int size, qreal devicePixelRatio) {
    QImage picture;
    if (!picture.load(file))
        return std::nullopt;
    const QImage alpha = maskToAlpha(picture);
    const QRect area = drawnArea(alpha);
    if (area.isEmpty())
        return std::nullopt;
    const QImage cropped = alpha.copy(area);
    const double scale = size / double(std::max(cropped.width(), cropped.height()));
    const QSizeF drawn(scale * cropped.width(), scale * cropped.height());
    QImage result = blankImage(QSizeF(size, size), devicePixelRatio);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF((size - drawn.width()) / 2, (size - drawn.height()) / 2), drawn),
                      cropped);
    return result;
}

} // namespace quorvel::MenuLogo
