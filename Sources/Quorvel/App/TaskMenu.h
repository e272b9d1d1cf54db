#pragma once

#include <QMenu>

namespace quorvel {

// The tray's menu, kept within the screen's free area: QMenu may open over a panel at the screen's edge,
// and when its items change while it is open it grows from where it stands, past the screen's edge when
// it was opened upwards from a tray at the bottom.
class TaskMenu final : public QMenu {
public:
    using QMenu::QMenu;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void keepOnScreen();
};

} // namespace quorvel
