#include "App/LampIcon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIconEngine>
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

// The square rendering, laid out in a 22-unit square scaled to the slot: two lamps of 10 units a row,
// digits as large as the lamps allow.
constexpr double squareUnits = 22;
constexpr std::array<double, 2> squareCentres{5.5, 16.5};
constexpr double squareLampSize = 10;
constexpr double squareLineWidth = 1;
constexpr double squareFontUnits = 10;

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
                        int fontPixels, bool snapText) {
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
    QPointF baseline(left, top + metrics.ascent());
    // Small digits read better on whole pixels.
    if (snapText)
        baseline = QPointF(std::round(baseline.x()), std::round(baseline.y()));
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
        drawLamp(painter, lit[index], oval, horizontalLineWidth, horizontalFontPixels, false);
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
    const auto lit = lamps();
    for (std::size_t index = 0; index < lit.size(); ++index) {
        const QPointF centre(squareCentres[index % 2] * unit, squareCentres[index / 2] * unit);
        const QRectF oval(centre.x() - lampSize / 2, centre.y() - lampSize / 2, lampSize, lampSize);
        drawLamp(painter, lit[index], oval, squareLineWidth * unit, qRound(squareFontUnits * unit), true);
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
