#include "App/LampIcon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace quorvel {

namespace {

constexpr std::array<double, 4> horizontalCentres{10.5, 30.5, 50.5, 70.5};
constexpr double horizontalLampSize = 13;
constexpr double horizontalLineWidth = 1.5;
constexpr int horizontalFontPixels = 10;

// The square rendering, in a 22-unit square scaled to the slot: two lamps of 10 units a row.
constexpr double squareUnits = 22;
constexpr std::array<double, 2> squareCentres{5.5, 16.5};
constexpr double squareLampSize = 10;
constexpr double squareLineWidth = 1;
constexpr int squareFontPixels = 9;

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
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
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

void LampIcon::drawLamp(QPainter& painter, const Lamp& lamp, const QRectF& oval, double ringWidth,
                        int fontPixels) {
    if (lamp.count >= 1) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(lamp.fill);
        painter.drawEllipse(oval);
    }
    painter.setPen(QPen(Qt::white, ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(oval);
    if (lamp.count < 1)
        return;
    const QString text = countText(lamp.count);
    const QFont font = digitFont(fontPixels);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const double height = metrics.height();
    const double left = oval.center().x() - width / 2;
    const double top = oval.center().y() - height / 2;
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(left, top + metrics.ascent()), text);
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
        drawLamp(painter, lit[index], oval, horizontalLineWidth, horizontalFontPixels);
    }
    return image;
}

QImage LampIcon::square(int pixels) const {
    QImage image = transparentImage(QSize(pixels, pixels), 1);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(pixels / squareUnits, pixels / squareUnits);
    const auto lit = lamps();
    for (std::size_t index = 0; index < lit.size(); ++index) {
        const QPointF centre(squareCentres[index % 2], squareCentres[index / 2]);
        const QRectF oval(centre.x() - squareLampSize / 2, centre.y() - squareLampSize / 2, squareLampSize,
                          squareLampSize);
        drawLamp(painter, lit[index], oval, squareLineWidth, squareFontPixels);
    }
    return image;
}

QIcon LampIcon::trayIcon() const {
    QIcon icon;
    for (int pixels : traySizes)
        icon.addPixmap(QPixmap::fromImage(square(pixels)));
    return icon;
}

} // namespace quorvel
