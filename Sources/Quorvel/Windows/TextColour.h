#pragma once

#include <QColor>

namespace quorvel {

// The named colours that text and symbols in the windows take; each is looked up afresh, so a widget
// that keeps the name follows the desktop between light and dark.
enum class TextColour { label, secondaryLabel, tertiaryLabel, systemRed, link, onAccent };

QColor resolve(TextColour colour);

} // namespace quorvel
