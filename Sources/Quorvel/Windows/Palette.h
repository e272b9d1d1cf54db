#pragma once

#include <QColor>

namespace quorvel {

// The window colours every window shares, derived from the desktop's palette so that they follow its
// light or dark theme.
namespace Palette {

QColor label();
QColor secondaryLabel();
QColor tertiaryLabel();
QColor separator();
// The edge of a field to type in, clearer than a separator so that the field stands out on any theme.
QColor controlBorder();
// Hint text in an empty field, from the field's own text colour (themes do not always set one).
QColor placeholderText();
// Fill of cards and grouped controls.
QColor controlBackground();
QColor accent();
QColor link();
QColor disabledText();
// Window and sidebar backgrounds (the sidebar a shade apart from the window).
QColor windowBackground();
QColor sidebarBackground();
// Track of a switch that is off, and text or symbols drawn on the accent colour.
QColor controlTrack();
QColor onAccent();

} // namespace Palette
} // namespace quorvel
