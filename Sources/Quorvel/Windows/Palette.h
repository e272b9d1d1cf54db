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
// Fill of cards and grouped controls.
QColor controlBackground();
QColor accent();
QColor link();
QColor disabledText();

} // namespace Palette
} // namespace quorvel
