#include "App/TaskMenu.h"

#include <QActionEvent>
#include <QScreen>
#include <algorithm>

namespace quorvel {

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
    QMenu::actionEvent(&changed);
}

void TaskMenu::actionEvent(QActionEvent* event) {
    if (heldChanges_ > 0 && event->type() == QEvent::ActionChanged && !platformMenu()) {
        changedItem_ = event->action();
        return;
    }
    QMenu::actionEvent(event);
}

void TaskMenu::showEvent(QShowEvent* event) {
    QMenu::showEvent(event);
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
