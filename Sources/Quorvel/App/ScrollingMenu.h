#pragma once

#include <QMenu>

namespace quorvel {

// A menu whose style lets it scroll when it is taller than the screen, and that keeps to the screen when
// its items change while it is open: QMenu would then take the height of its whole content and, like a
// menu opened from a tray at the bottom of the screen, grow past the screen's edge.
class ScrollingMenu final : public QMenu {
public:
    using QMenu::QMenu;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace quorvel
