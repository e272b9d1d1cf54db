#include "Windows/SymbolIcon.h"

#include "Platform/ResourceBundle.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace quorvel::SymbolIcon {

namespace {
constexpr qint64 maximumSymbolSize = 64 * 1024;

QByteArray symbolSource(const ResourceBundle& bundle, const QString& name) {
    const auto path = bundle.url(name, QStringLiteral("svg"), QStringLiteral("Lucide"));
    if (!path)
        return {};
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumSymbolSize)
        return {};
    return file.readAll();
}
} // namespace

QImage render(const ResourceBundle& bundle, const QString& name, const QColor& colour, int points,
              qreal devicePixelRatio) {
    QByteArray source = symbolSource(bundle, name);
    if (source.isEmpty())
        return {};
    source.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return {};
    const int pixels = qRound(points * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(colour.alphaF());
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

} // namespace quorvel::SymbolIcon
