#pragma once

#include <QString>
#include <Qt>
#include <memory>

class QWidget;

namespace quorvel {

// How the windows are framed and where they appear.
namespace WindowPlacement {

// A top-level window with the title and a close button, plus `extraButtons` (such as a minimise button).
// Ctrl+W closes it as its close button does, and the control with the keyboard focus shows a ring.
std::unique_ptr<QWidget> makeWindow(const QString& title, Qt::WindowFlags extraButtons = {});
// Makes Esc close the window too.
void closeOnEscape(QWidget& window);
// Centres the window on the screen it is on (the primary screen before it is first shown).
void centre(QWidget& window);
// Shows the window, raises it above the others and asks the window manager to activate it.
void bringToFront(QWidget& window);

} // namespace WindowPlacement
} // namespace quorvel
