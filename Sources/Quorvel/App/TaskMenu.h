#pragma once

#include <QMenu>
#include <QPointer>
#include <functional>

namespace quorvel {

// The tray's menu, kept within the screen's free area: QMenu may open over a panel at the screen's edge,
// and when its items change while it is open it grows from where it stands, past the screen's edge when
// it was opened upwards from a tray at the bottom.
class TaskMenu final : public QMenu {
public:
    using QMenu::QMenu;

    // Runs `change`, which may alter many items. QMenu lays an open menu out again after every item
    // that changes; here it does so once, after `change`. A menu exported over D-Bus still hears of
    // each item.
    void changeItems(const std::function<void()>& change);

protected:
    void actionEvent(QActionEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void keepOnScreen();
    void releaseChanges();

    int heldChanges_ = 0;
    QPointer<QAction> changedItem_;
};

} // namespace quorvel
