#include "App/ScrollingMenu.h"

#include <QScreen>
#include <algorithm>

namespace quorvel {

// Before it opens the menu asks for its whole height, so that it knows whether to scroll.
QSize ScrollingMenu::sizeHint() const {
    QSize size = QMenu::sizeHint();
    if (isVisible() && screen())
        size.setHeight(std::min(size.height(), std::max(height(), screen()->availableGeometry().height())));
    return size;
}

void ScrollingMenu::resizeEvent(QResizeEvent* event) {
    QMenu::resizeEvent(event);
    if (!isVisible() || !screen())
        return;
    const QRect available = screen()->availableGeometry();
    const int overflow = geometry().bottom() - available.bottom();
    if (overflow > 0)
        move(x(), std::max(available.top(), y() - overflow));
}

} // namespace quorvel
