#include "Support/KeyPress.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

// Qt's own entry for delivering a key press to the shortcut map, as its test library does.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* object, ulong timestamp, int key,
                                               Qt::KeyboardModifiers modifiers, const QString& text,
                                               bool autorepeat, ushort count);

namespace quorvel::testing {

void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (qt_sendShortcutOverrideEvent(target, 0, key, modifiers, text, false, 1))
        return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
}

} // namespace quorvel::testing
