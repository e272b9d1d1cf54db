#include "App/TaskMenu.h"

#include <QActionEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>

namespace quorvel {

TaskMenu* TaskMenu::addSubmenu(const QString& title) {
    auto* submenu = new TaskMenu(title, this);
    addMenu(submenu);
    return submenu;
}

TaskMenu* TaskMenu::parentMenu() const {
    return dynamic_cast<TaskMenu*>(parentWidget());
}

void TaskMenu::changeItems(const std::function<void()>& change) {
    struct Release {
        TaskMenu& menu;
        ~Release() { menu.releaseChanges(); }
    };
    ++heldChanges_;
    const Release release{*this};
    change();
}

void TaskMenu::releaseChanges() {
    if (--heldChanges_ > 0 || !changedItem_)
        return;
    QActionEvent changed(QEvent::ActionChanged, changedItem_);
    changedItem_ = nullptr;
    itemsChanged(&changed);
}

void TaskMenu::actionEvent(QActionEvent* event) {
    if (heldChanges_ > 0 && event->type() == QEvent::ActionChanged && !platformMenu()) {
        changedItem_ = event->action();
        return;
    }
    itemsChanged(event);
}

void TaskMenu::itemsChanged(QActionEvent* event) {
    QMenu::actionEvent(event);
    fitToScreen();
}

QSize TaskMenu::sizeHint() const {
    QSize hint = QMenu::sizeHint();
    if (isVisible() && scrolls_)
        hint.setHeight(height());
    return hint;
}

// From the top of the first shown item to the bottom of the last; scrolling moves both alike.
int TaskMenu::itemsHeight() const {
    QAction* first = nullptr;
    QAction* last = nullptr;
    for (QAction* action : actions())
        if (action->isVisible()) {
            first = first ? first : action;
            last = action;
        }
    return first ? actionGeometry(last).bottom() - actionGeometry(first).top() + 1 : 0;
}

// QMenu's own size hint leaves out what has scrolled off the top.
int TaskMenu::neededHeight() const {
    return itemsHeight() + frameHeight_;
}

// Called while the menu is not scrolled, as it opens.
void TaskMenu::noteLayout() {
    const int whole = QMenu::sizeHint().height();
    scrolls_ = whole > height();
    frameHeight_ = whole - itemsHeight();
}

void TaskMenu::fitToScreen() {
    if (!isVisible() || !screen() || reopening_)
        return;
    const QRect available = screen()->availableGeometry();
    const int needed = neededHeight();
    if ((needed > available.height()) == scrolls_)
        return;
    const int top = std::min(y(), available.bottom() + 1 - std::min(needed, available.height()));
    layOutAgainAt(QPoint(x(), std::max(available.top(), top)));
}

// Laid out again, as when it opens, but not opened again: nobody hears of it.
void TaskMenu::layOutAgainAt(QPoint topLeft) {
    const QScopedValueRollback reopening(reopening_, true);
    const QSignalBlocker quiet(this);
    scrolls_ = false; // QMenu asks for its whole height, and lays it out to fit
    popup(topLeft);
    noteLayout();
}

void TaskMenu::keyPressEvent(QKeyEvent* event) {
    QAction* command = commandFor(event);
    if (!command) {
        QMenu::keyPressEvent(event);
        return;
    }
    // As a click does: every menu up to the tray's closes, then the command runs.
    for (TaskMenu* menu = this; menu; menu = menu->parentMenu())
        menu->hide();
    command->trigger();
}

QAction* TaskMenu::commandFor(const QKeyEvent* event) const {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    // Plain keys move through the menu and choose items by their mnemonic.
    if ((modifiers & ~Qt::ShiftModifier) == Qt::NoModifier)
        return nullptr;
    const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(event->key())));
    for (const TaskMenu* menu = this; menu; menu = menu->parentMenu())
        for (QAction* action : menu->actions())
            if (action->isVisible() && action->isEnabled() && !action->shortcut().isEmpty() &&
                action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
                return action;
    return nullptr;
}

// QMenu takes a pointer anywhere above or below a menu that scrolls for one over its scroll arrows: a
// menu opened upwards from a tray at the bottom would start to run down as soon as the button that
// opened it is let go on the tray. Only its own arrows scroll it; elsewhere above or below, the pointer
// counts as beside the menu (outside it all the same).
void TaskMenu::passMouseEvent(QMouseEvent* event, const std::function<void(QMouseEvent*)>& handler) {
    const QPointF at = event->position();
    if (at.y() >= 0 && at.y() < height()) {
        handler(event);
        return;
    }
    const QPointF beside(-1, at.y());
    QMouseEvent moved(event->type(), beside, mapToGlobal(beside), event->button(), event->buttons(),
                      event->modifiers(), event->pointingDevice());
    handler(&moved);
    event->setAccepted(moved.isAccepted());
}

void TaskMenu::mousePressEvent(QMouseEvent* event) {
    passMouseEvent(event, [this](QMouseEvent* passed) { QMenu::mousePressEvent(passed); });
}

void TaskMenu::mouseReleaseEvent(QMouseEvent* event) {
    passMouseEvent(event, [this](QMouseEvent* passed) { QMenu::mouseReleaseEvent(passed); });
}

void TaskMenu::mouseMoveEvent(QMouseEvent* event) {
    passMouseEvent(event, [this](QMouseEvent* passed) { QMenu::mouseMoveEvent(passed); });
}

void TaskMenu::showEvent(QShowEvent* event) {
    QMenu::showEvent(event);
    // QMenu opens a menu that scrolls part way down when it opens upwards (from a tray at the bottom):
    // it starts at its first item instead.
    if (!reopening_ && screen() && itemsHeight() > height())
        layOutAgainAt(QPoint(x(), screen()->availableGeometry().top()));
    else
        noteLayout();
    keepOnScreen();
}

void TaskMenu::resizeEvent(QResizeEvent* event) {
    QMenu::resizeEvent(event);
    keepOnScreen();
}

void TaskMenu::keepOnScreen() {
    if (!isVisible() || !screen())
        return;
    const QRect available = screen()->availableGeometry();
    const QRect shown = geometry();
    const int left =
        std::max(available.left(), shown.left() - std::max(0, shown.right() - available.right()));
    const int top = std::max(available.top(), shown.top() - std::max(0, shown.bottom() - available.bottom()));
    if (left != shown.left() || top != shown.top())
        move(left, top);
}

} // namespace quorvel
