#include "App/LampIcon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr std::array<double, 4> horizontalCentres{10.5, 30.5, 50.5, 70.5};
constexpr double horizontalLampSize = 13;
constexpr double horizontalLineWidth = 1.5;
constexpr int horizontalFontPixels = 10;

// The square rendering, laid out in a 22-unit square scaled to the slot: two lamps a row, each with its
// ring and dark edge filling half the width, digits as large as the lamps allow.
constexpr double squareUnits = 22;
constexpr std::array<double, 2> squareCentres{5.5, 16.5};
constexpr double squareLampSize = 9;
constexpr double squareLineWidth = 1;
constexpr double squareEdgeWidth = 0.75;
constexpr double squareFontUnits = 9;
// The edge is black at this alpha around the rings; around the digits it fades in as the fill fades out.
constexpr double edgeAlpha = 0.7;
// Small slots still get strokes of at least these widths, in pixels.
constexpr double minimumRingPixels = 1;
constexpr double minimumEdgePixels = 0.75;

QImage transparentImage(QSize pixels, qreal devicePixelRatio) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(colour.alphaF() * alpha));
    return colour;
}

QFont digitFont(int pixels) {
    QFont font;
    font.setPixelSize(pixels);
    font.setWeight(QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// A dark band under the white ring of `ringWidth`, reaching `edge` beyond its outside.
void drawRingEdge(QPainter& painter, const QRectF& oval, double ringWidth, double edge) {
    painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, edgeAlpha), ringWidth + edge));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(oval.adjusted(-edge / 2, -edge / 2, edge / 2, edge / 2));
}

// The white count over a dark halo of `radius` whole pixels at `haloAlpha`. The glyphs are drawn once into
// a layer and the halo is that layer spread out, so its overlapping copies never add up to more.
void drawEdgedText(QPainter& painter, const QRectF& area, QPointF baseline, const QFont& font,
                   const QString& text, double haloAlpha, int radius) {
    const QRect box = area.toAlignedRect().adjusted(-radius, -radius, radius, radius);
    QImage glyphs = transparentImage(box.size(), 1);
    {
        QPainter layer(&glyphs);
        layer.setRenderHint(QPainter::TextAntialiasing);
        layer.setFont(font);
        layer.setPen(Qt::white);
        layer.drawText(baseline - box.topLeft(), text);
    }
    if (haloAlpha > 0.01) {
        QImage halo = transparentImage(box.size(), 1);
        QPainter layer(&halo);
        for (int dx = -radius; dx <= radius; ++dx)
            for (int dy = -radius; dy <= radius; ++dy)
                if (dx * dx + dy * dy <= radius * radius + radius)
                    layer.drawImage(QPoint(dx, dy), glyphs);
        layer.setCompositionMode(QPainter::CompositionMode_SourceIn);
        layer.fillRect(halo.rect(), Qt::black);
        layer.end();
        painter.save();
        painter.setOpacity(haloAlpha);
        painter.drawImage(box.topLeft(), halo);
        painter.restore();
    }
    painter.drawImage(box.topLeft(), glyphs);
}

} // namespace

double LampIcon::redAlpha(double phase) {
    return (std::cos(phase) + 1) * 0.5 * 0.95 + 0.05;
}

double LampIcon::pulseAlpha(double phase) {
    return (std::cos(phase) + 1) * 0.5 * 0.85 + 0.15;
}

QString LampIcon::countText(int count) {
    if (count <= 0)
        return {};
    return count >= 10 ? QStringLiteral("\u221E") : QString::number(count);
}

QColor LampIcon::amberColour() {
    return QColor::fromRgbF(1.0f, 0.67f, 0.08f, 1.0f);
}

std::array<LampIcon::Lamp, 4> LampIcon::lamps() const {
    return {{
        {counts.red, withAlpha(SystemColours::red(appearance), redAlpha(redPulsePhase))},
        {counts.amber, withAlpha(amberColour(), pulseAlpha(amberPulsePhase))},
        {counts.blue, withAlpha(SystemColours::blue(appearance), pulseAlpha(bluePulsePhase))},
        {counts.green, SystemColours::green(appearance)},
    }};
}

void LampIcon::drawLamp(QPainter& painter, const Lamp& lamp, const QRectF& oval, const Style& style) {
    if (lamp.count >= 1) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(lamp.fill);
        painter.drawEllipse(oval);
    }
    if (style.edge > 0)
        drawRingEdge(painter, oval, style.ringWidth, style.edge);
    painter.setPen(QPen(Qt::white, style.ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(oval);
    if (lamp.count < 1)
        return;
    const QString text = countText(lamp.count);
    const QFont font = digitFont(style.fontPixels);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const double height = metrics.height();
    const double left = oval.center().x() - width / 2;
    const double top = oval.center().y() - height / 2;
    QPointF baseline(left, top + metrics.ascent());
    // Small digits read better on whole pixels.
    if (style.snapText)
        baseline = QPointF(std::round(baseline.x()), std::round(baseline.y()));
    if (style.edge > 0) {
        const double haloAlpha = edgeAlpha * (1 - lamp.fill.alphaF());
        const int radius = std::max(1, static_cast<int>(std::lround(style.edge)));
        drawEdgedText(painter, oval, baseline, font, text, haloAlpha, radius);
        return;
    }
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(baseline, text);
}

QImage LampIcon::horizontal(qreal devicePixelRatio) const {
    const QSize pixels(qRound(horizontalWidth * devicePixelRatio),
                       qRound(horizontalHeight * devicePixelRatio));
    QImage image = transparentImage(pixels, devicePixelRatio);
    image.setText(QStringLiteral("Description"), QStringLiteral("Quorvel"));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF outline(0.75, 0.75, 79.5, 19.5);
    painter.setPen(QPen(Qt::white, horizontalLineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, outline.height() / 2, outline.height() / 2);
    const auto lit = lamps();
    for (std::size_t index = 0; index < lit.size(); ++index) {
        const QRectF oval(horizontalCentres[index] - horizontalLampSize / 2, 4, horizontalLampSize,
                          horizontalLampSize);
        drawLamp(painter, lit[index], oval, {horizontalLineWidth, horizontalFontPixels, false, 0});
    }
    return image;
}

QImage LampIcon::square(int pixels) const {
    QImage image = transparentImage(QSize(pixels, pixels), 1);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double unit = pixels / squareUnits;
    const double lampSize = squareLampSize * unit;
    const Style style{std::max(minimumRingPixels, squareLineWidth * unit), qRound(squareFontUnits * unit),
                      true, std::max(minimumEdgePixels, squareEdgeWidth * unit)};
    const auto lit = lamps();
    for (std::size_t index = 0; index < lit.size(); ++index) {
        const QPointF centre(squareCentres[index % 2] * unit, squareCentres[index / 2] * unit);
        const QRectF oval(centre.x() - lampSize / 2, centre.y() - lampSize / 2, lampSize, lampSize);
        drawLamp(painter, lit[index], oval, style);
    }
    return image;
}

namespace {

// Draws the square rendering at the size asked for, when it is asked for: a tray shows one size, and
// the animation replaces the icon 12.5 times a second.
class LampIconEngine final : public QIconEngine {
public:
    explicit LampIconEngine(LampIcon lamps) : lamps_(lamps) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const int side = std::min(rect.width(), rect.height());
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
        QImage image = lamps_.square(qRound(side * ratio));
        image.setDevicePixelRatio(ratio);
        painter->drawImage(
            QRect(rect.topLeft() + QPoint((rect.width() - side) / 2, (rect.height() - side) / 2),
                  QSize(side, side)),
            image);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        QPixmap pixmap = QPixmap::fromImage(lamps_.square(std::min(size.width(), size.height())));
        if (size != pixmap.size()) {
            QPixmap centred(size);
            centred.fill(Qt::transparent);
            QPainter(&centred).drawPixmap((size.width() - pixmap.width()) / 2,
                                          (size.height() - pixmap.height()) / 2, pixmap);
            return centred;
        }
        return pixmap;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int pixels : LampIcon::traySizes)
            sizes << QSize(pixels, pixels);
        return sizes;
    }
    QIconEngine* clone() const override { return new LampIconEngine(lamps_); }
    QString key() const override { return QStringLiteral("QuorvelLamps"); }

private:
    LampIcon lamps_;
};

} // namespace

QIcon LampIcon::trayIcon() const {
    return QIcon(new LampIconEngine(*this));
}

} // namespace quorvel
