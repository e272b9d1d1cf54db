#pragma once

#include <QPoint>
#include <optional>

namespace quorvel::MenuPlacement {

// Where a menu opened from outside the tray goes: at the pointer when it is on a screen, else at the
// primary screen's centre. None where no menu can be placed: with no screen, or on Wayland, which shows
// a popup only beside a window of the application's own.
std::optional<QPoint> outsideTheTray();

} // namespace quorvel::MenuPlacement
