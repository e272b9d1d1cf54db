#include "Windows/BackgroundDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace quorvel {

BackgroundDrag::BackgroundDrag(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

bool BackgroundDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && window_->windowHandle() &&
        window_->windowHandle()->startSystemMove())
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace quorvel
