#pragma once

#include <QString>
#include <Qt>

class QWidget;

namespace quorvel::testing {

// Presses a key in `target` as the keyboard does: window shortcuts first, then the control.
void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              const QString& text = {});

} // namespace quorvel::testing
