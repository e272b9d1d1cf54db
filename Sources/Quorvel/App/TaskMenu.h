#pragma once

#include <QMenu>
#include <QPointer>
#include <functional>

namespace quorvel {

// The tray's menu, kept within the screen's free area: QMenu may open over a panel at the screen's edge,
// and when its items change while it is open it grows from where it stands, past the screen's edge when
// it was opened upwards from a tray at the bottom. Taller than the screen, it scrolls in one column (its
// style asks QMenu to), also when it grows that tall while open.
//
// Its commands' shortcuts (Ctrl+Q) work while it is open, as choosing the command does: Qt gives an open
// menu the keys but matches shortcuts only in the active window, which a tray's menu never is. A submenu
// made with addSubmenu() hands them on to the menus it was opened from.
class TaskMenu final : public QMenu {
public:
    using QMenu::QMenu;

    TaskMenu* addSubmenu(const QString& title);

    // Runs `change`, which may alter many items. QMenu lays an open menu out again after every item
    // that changes; here it does so once, after `change`. A menu exported over D-Bus still hears of
    // each item.
    void changeItems(const std::function<void()>& change);

    // An open menu that scrolls keeps its height when its items change.
    QSize sizeHint() const override;

protected:
    void actionEvent(QActionEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The command of this menu or of a menu above it whose shortcut is the pressed key, if any.
    QAction* commandFor(const QKeyEvent* event) const;
    TaskMenu* parentMenu() const;
    void passMouseEvent(QMouseEvent* event, const std::function<void(QMouseEvent*)>& handler);
    void releaseChanges();
    void itemsChanged(QActionEvent* event);
    int itemsHeight() const;
    // The height of all the shown items and the menu's frame, however far the menu is scrolled.
    int neededHeight() const;
    // Whether the menu opened scrolling, and the height of its frame around the items.
    void noteLayout();
    // Lays an open menu out again, as QMenu does when it opens, when it comes to need scrolling or
    // no longer needs it.
    void fitToScreen();
    void layOutAgainAt(QPoint topLeft);
    void keepOnScreen();

    int heldChanges_ = 0;
    QPointer<QAction> changedItem_;
    bool scrolls_ = false;
    int frameHeight_ = 0;
    bool reopening_ = false;
};

} // namespace quorvel
