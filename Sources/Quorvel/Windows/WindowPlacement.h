#pragma once

class QWidget;

namespace quorvel {

// Where the windows appear.
namespace WindowPlacement {

// Centres the window on the screen it is on (the primary screen before it is first shown).
void centre(QWidget& window);
// Shows the window, raises it above the others and asks the window manager to activate it.
void bringToFront(QWidget& window);

} // namespace WindowPlacement
} // namespace quorvel
