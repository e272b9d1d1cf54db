#include "App/TaskMenu.h"

#include <QScreen>
#include <algorithm>

namespace quorvel {

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
