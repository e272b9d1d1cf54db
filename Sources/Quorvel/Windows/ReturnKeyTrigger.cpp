#include "Windows/ReturnKeyTrigger.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace quorvel {

ReturnKeyTrigger::ReturnKeyTrigger(QWidget* window, QAbstractButton* button)
    : QObject(window), button_(button) {
    window->installEventFilter(this);
}

bool ReturnKeyTrigger::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (!isReturn || modifiers != Qt::NoModifier || !button_->isEnabled() || !button_->isVisible())
        return QObject::eventFilter(watched, event);
    button_->click();
    return true;
}

} // namespace quorvel
