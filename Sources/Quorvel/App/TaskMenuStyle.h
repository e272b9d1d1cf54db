#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProxyStyle>
#include <optional>

namespace quorvel {

// Where Qt draws the menu itself, task rows show their 42 x 18 image at full size with the text after
// it, and an Orca row's detail line ends with its provider mark. A selected row's state icon sits on a
// disc that keeps it visible on the highlight. A menu taller than the screen scrolls. Rows are plain actions
// whose icon carries these images, so a menu exported over D-Bus still shows a 16-pixel state icon.
class TaskMenuStyle final : public QProxyStyle {
public:
    static constexpr int leftMargin = 6;
    static constexpr int imageGap = 6;
    static constexpr int rightMargin = 18;
    static constexpr int minimumRowHeight = 22;

    // The icon of a task row: the 42 x 18 row image, a 16-point picture for hosts that draw small icons,
    // and the mark to draw after the text, if any. All at the same device pixel ratio.
    static QIcon rowIcon(const QImage& rowImage, const QImage& smallImage,
                         const std::optional<QImage>& trailingMark = std::nullopt);
    static std::optional<QPixmap> rowPixmap(const QIcon& icon);
    static std::optional<QPixmap> trailingPixmap(const QIcon& icon);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    static void drawStateIconBacking(QPainter* painter, const QPalette& palette, QPoint imageOrigin);
};

} // namespace quorvel
