#include "App/LampIcon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
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

// How lamps are drawn at one size, in pixels. `edge` is the width of a dark edge around the white rings
// and digits, so that they read on light panels too; the horizontal image has none.
struct Style {
    double ringWidth;
    int fontPixels;
    bool snapText;
    double edge;
};

Style squareStyle(double unit) {
    return {std::max(minimumRingPixels, squareLineWidth * unit), qRound(squareFontUnits * unit), true,
            std::max(minimumEdgePixels, squareEdgeWidth * unit)};
}

std::array<QRectF, 4> squareOvals(double unit) {
    std::array<QRectF, 4> ovals;
    const double size = squareLampSize * unit;
    for (std::size_t index = 0; index < ovals.size(); ++index) {
        const QPointF centre(squareCentres[index % 2] * unit, squareCentres[index / 2] * unit);
        ovals[index] = QRectF(centre.x() - size / 2, centre.y() - size / 2, size, size);
    }
    return ovals;
}

void fillLamp(QPainter& painter, const QColor& fill, const QRectF& oval) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(oval);
}

void drawRing(QPainter& painter, const QRectF& oval, double width) {
    painter.setPen(QPen(Qt::white, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(oval);
}

// A dark band under the white ring, reaching `edge` beyond its outside.
void drawRingEdge(QPainter& painter, const QRectF& oval, double ringWidth, double edge) {
    painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, edgeAlpha), ringWidth + edge));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(oval.adjusted(-edge / 2, -edge / 2, edge / 2, edge / 2));
}

// The four edged rings of the square rendering, the same in every frame: drawn once per size, as
// translucent strokes are slow to draw. Drawing happens on the main thread only.
const QImage& squareRings(int pixels) {
    static QHash<int, QImage> made;
    if (const auto found = made.constFind(pixels); found != made.cend())
        return *found;
    if (made.size() >= 16)
        made.clear();
    QImage rings = transparentImage(QSize(pixels, pixels), 1);
    QPainter painter(&rings);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = pixels / squareUnits;
    const Style style = squareStyle(unit);
    const auto ovals = squareOvals(unit);
    for (const QRectF& oval : ovals)
        drawRingEdge(painter, oval, style.ringWidth, style.edge);
    for (const QRectF& oval : ovals)
        drawRing(painter, oval, style.ringWidth);
    painter.end();
    return *made.insert(pixels, rings);
}

// A count drawn white, and its halo: that drawing spread out by `radius` whole pixels, in black, drawn
// as one layer so that the overlapping copies never add up to more.
struct EdgedText {
    QImage glyphs;
    QImage halo;
};

EdgedText makeEdgedText(QSize size, QPointF baseline, const QFont& font, const QString& text, int radius) {
    EdgedText layers{transparentImage(size, 1), transparentImage(size, 1)};
    QPainter glyphs(&layers.glyphs);
    glyphs.setRenderHint(QPainter::TextAntialiasing);
    glyphs.setFont(font);
    glyphs.setPen(Qt::white);
    glyphs.drawText(baseline, text);
    glyphs.end();
    QPainter halo(&layers.halo);
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -radius; dy <= radius; ++dy)
            if (dx * dx + dy * dy <= radius * radius + radius)
                halo.drawImage(QPoint(dx, dy), layers.glyphs);
    halo.setCompositionMode(QPainter::CompositionMode_SourceIn);
    halo.fillRect(layers.halo.rect(), Qt::black);
    return layers;
}

// The animation draws the same few counts 12.5 times a second, so each is made once per size and place.
const EdgedText& edgedText(QSize size, QPointF baseline, const QFont& font, const QString& text, int radius) {
    static QHash<QString, EdgedText> made;
    const QString key =
        text + QLatin1Char('|') + font.key() +
        QString::asprintf("|%d|%dx%d|%g,%g", radius, size.width(), size.height(), baseline.x(), baseline.y());
    if (const auto found = made.constFind(key); found != made.cend())
        return *found;
    if (made.size() >= 64)
        made.clear();
    return *made.insert(key, makeEdgedText(size, baseline, font, text, radius));
}

// The count centred in the oval, white; with an edge, over a dark halo that grows as the fill fades.
void drawCount(QPainter& painter, int count, const QColor& fill, const QRectF& oval, const Style& style) {
    const QString text = LampIcon::countText(count);
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
    if (style.edge <= 0) {
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(baseline, text);
        return;
    }
    const int radius = std::max(1, static_cast<int>(std::lround(style.edge)));
    const QRect box = oval.toAlignedRect().adjusted(-radius, -radius, radius, radius);
    const EdgedText& layers = edgedText(box.size(), baseline - box.topLeft(), font, text, radius);
    if (const double haloAlpha = edgeAlpha * (1 - fill.alphaF()); haloAlpha > 0.01) {
        painter.save();
        painter.setOpacity(haloAlpha);
        painter.drawImage(box.topLeft(), layers.halo);
        painter.restore();
    }
    painter.drawImage(box.topLeft(), layers.glyphs);
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
    const Style style{horizontalLineWidth, horizontalFontPixels, false, 0};
    const auto lit = lamps();
    for (std::size_t index = 0; index < lit.size(); ++index) {
        const QRectF oval(horizontalCentres[index] - horizontalLampSize / 2, 4, horizontalLampSize,
                          horizontalLampSize);
        if (lit[index].count >= 1)
            fillLamp(painter, lit[index].fill, oval);
        drawRing(painter, oval, horizontalLineWidth);
        if (lit[index].count >= 1)
            drawCount(painter, lit[index].count, lit[index].fill, oval, style);
    }
    return image;
}

// The fills, then the rings over them, then the counts.
QImage LampIcon::square(int pixels) const {
    QImage image = transparentImage(QSize(pixels, pixels), 1);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double unit = pixels / squareUnits;
    const Style style = squareStyle(unit);
    const auto ovals = squareOvals(unit);
    const auto lit = lamps();
    for (std::size_t index = 0; index < lit.size(); ++index)
        if (lit[index].count >= 1)
            fillLamp(painter, lit[index].fill, ovals[index]);
    painter.drawImage(0, 0, squareRings(pixels));
    for (std::size_t index = 0; index < lit.size(); ++index)
        if (lit[index].count >= 1)
            drawCount(painter, lit[index].count, lit[index].fill, ovals[index], style);
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
