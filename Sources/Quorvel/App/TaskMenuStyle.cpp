#include "App/TaskMenuStyle.h"

#include "App/MenuIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace quorvel {

namespace {

// The device pixel ratio of the icon's row image: its pixel size is 42 x 18 times it.
std::optional<qreal> rowImageRatio(const QIcon& icon) {
    const QSize points = MenuIcons::rowImageSize;
    for (const QSize& pixels : icon.availableSizes())
        if (pixels.width() * points.height() == pixels.height() * points.width())
            return qreal(pixels.width()) / points.width();
    return std::nullopt;
}

QPixmap withRatio(const QImage& image) {
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(image.devicePixelRatio());
    return pixmap;
}

const QStyleOptionMenuItem* taskRow(QStyle::ControlElement element, const QStyleOption* option) {
    if (element != QStyle::CE_MenuItem)
        return nullptr;
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item || item->menuItemType != QStyleOptionMenuItem::Normal || item->icon.isNull())
        return nullptr;
    return rowImageRatio(item->icon) ? item : nullptr;
}

constexpr int textFlags = Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic | Qt::TextSingleLine;

// A row's pictures, handed out as they are. QIcon's own engine files a copy of every picture it hands
// out in Qt's global pixmap cache, keyed by the picture: the pulsing rows get new pictures 12.5 times a
// second, and the cache would fill with pictures nobody asks for again (10 MB of them) and grow the heap.
class RowIconEngine final : public QIconEngine {
public:
    explicit RowIconEngine(QList<QPixmap> pixmaps) : pixmaps_(std::move(pixmaps)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override { return fitting(size); }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal) override {
        return fitting(size);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
        QPixmap shown = fitting((QSizeF(rect.size()) * ratio).toSize());
        shown.setDevicePixelRatio(ratio);
        const QSize points = (QSizeF(shown.size()) / ratio).toSize();
        painter->drawPixmap(QRect(rect.topLeft() + QPoint((rect.width() - points.width()) / 2,
                                                          (rect.height() - points.height()) / 2),
                                  points),
                            shown);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return fitting(size).size(); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const QPixmap& pixmap : pixmaps_)
            sizes << pixmap.size();
        return sizes;
    }
    bool isNull() override { return pixmaps_.isEmpty(); }
    QIconEngine* clone() const override { return new RowIconEngine(pixmaps_); }
    QString key() const override { return QStringLiteral("QuorvelMenuRow"); }

private:
    // The picture of exactly `pixels`, else the smallest larger one (or the largest) scaled to fit.
    QPixmap fitting(QSize pixels) const {
        const QPixmap* best = nullptr;
        for (const QPixmap& pixmap : pixmaps_) {
            if (pixmap.size() == pixels)
                return pixmap;
            const bool covers = pixmap.width() >= pixels.width() && pixmap.height() >= pixels.height();
            const bool bestCovers =
                best && best->width() >= pixels.width() && best->height() >= pixels.height();
            if (!best || (covers && (!bestCovers || pixmap.width() < best->width())) ||
                (!covers && !bestCovers && pixmap.width() > best->width()))
                best = &pixmap;
        }
        if (!best)
            return {};
        return best->scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QList<QPixmap> pixmaps_;
};

} // namespace

QIcon TaskMenuStyle::rowIcon(const QImage& rowImage, const QImage& smallImage,
                             const std::optional<QImage>& trailingMark) {
    QList<QPixmap> pixmaps{withRatio(rowImage), withRatio(smallImage)};
    if (trailingMark)
        pixmaps << withRatio(*trailingMark);
    return QIcon(new RowIconEngine(std::move(pixmaps)));
}

std::optional<QPixmap> TaskMenuStyle::rowPixmap(const QIcon& icon) {
    const auto ratio = rowImageRatio(icon);
    if (!ratio)
        return std::nullopt;
    return icon.pixmap(MenuIcons::rowImageSize, *ratio);
}

std::optional<QPixmap> TaskMenuStyle::trailingPixmap(const QIcon& icon) {
    const auto ratio = rowImageRatio(icon);
    if (!ratio)
        return std::nullopt;
    const QSize points(MenuIcons::trailingMarkSize, MenuIcons::trailingMarkSize);
    if (!icon.availableSizes().contains((QSizeF(points) * *ratio).toSize()))
        return std::nullopt;
    return icon.pixmap(points, *ratio);
}

void TaskMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    const QStyleOptionMenuItem* item = taskRow(element, option);
    if (!item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The base style draws the background and the selection; the image and the text are drawn here.
    QStyleOptionMenuItem background = *item;
    background.text.clear();
    background.icon = QIcon();
    QProxyStyle::drawControl(element, &background, painter, widget);

    const QRect rect = item->rect;
    const QPixmap image = *rowPixmap(item->icon);
    const QSize imageSize = MenuIcons::rowImageSize;
    const QPoint imageOrigin(rect.left() + leftMargin, rect.top() + (rect.height() - imageSize.height()) / 2);
    const bool enabled = item->state & State_Enabled;
    const bool selected = enabled && (item->state & State_Selected);
    if (selected)
        drawStateIconBacking(painter, item->palette, imageOrigin);
    painter->drawPixmap(QRect(imageOrigin, imageSize), image);

    const QPalette::ColorGroup group = enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setFont(item->font);
    painter->setPen(item->palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const int textLeft = rect.left() + leftMargin + imageSize.width() + imageGap;
    const QRect textRect(textLeft, rect.top(), rect.right() - textLeft - rightMargin, rect.height());
    QRect drawn;
    painter->drawText(textRect, textFlags, item->text, &drawn);
    painter->restore();

    if (const auto mark = trailingPixmap(item->icon)) {
        const QFontMetrics metrics(item->font);
        const int side = MenuIcons::trailingMarkSize;
        const int baseline = drawn.top() + metrics.ascent();
        const QRect markRect(drawn.right() + 1 + metrics.horizontalAdvance(u' '), baseline + 1 - side, side,
                             side);
        painter->drawPixmap(markRect, *mark);
    }
}

// The state icons keep their colours on the highlight, where the blue of an unread row would all but
// vanish: they sit on a disc of the highlighted text's colour, which the highlight is made to show.
void TaskMenuStyle::drawStateIconBacking(QPainter* painter, const QPalette& palette, QPoint imageOrigin) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette.color(QPalette::Normal, QPalette::HighlightedText));
    painter->drawEllipse(MenuIcons::stateIconRect.translated(imageOrigin));
    painter->restore();
}

int TaskMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
    // A menu taller than the screen scrolls in one column, rather than breaking into columns that run
    // off the screen.
    if (hint == SH_Menu_Scrollable)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize TaskMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const {
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_MenuItem || !taskRow(CE_MenuItem, option))
        return result;
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const QFontMetrics metrics(item->font);
    int width =
        leftMargin + MenuIcons::rowImageSize.width() + imageGap +
        metrics.horizontalAdvance(QString(item->text).replace(QStringLiteral("&&"), QStringLiteral("&"))) +
        rightMargin;
    if (trailingPixmap(item->icon))
        width += metrics.horizontalAdvance(u' ') + MenuIcons::trailingMarkSize;
    result.setWidth(std::max(result.width(), width));
    result.setHeight(std::max(result.height(), minimumRowHeight));
    return result;
}

} // namespace quorvel
