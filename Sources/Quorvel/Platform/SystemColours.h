#pragma once

#include <QColor>

namespace quorvel {

enum class Appearance { light, dark };

// The fixed system colours of the drawn images and windows, in their light and dark variants, and the
// appearance of the running desktop. Every colour the application names is taken from here.
namespace SystemColours {

// Dark when the application palette's window colour is dark.
Appearance currentAppearance();

QColor red(Appearance appearance = currentAppearance());
QColor orange(Appearance appearance = currentAppearance());
QColor yellow(Appearance appearance = currentAppearance());
QColor green(Appearance appearance = currentAppearance());
QColor blue(Appearance appearance = currentAppearance());
QColor gray(Appearance appearance = currentAppearance());
// Primary text and template-icon colour.
QColor label(Appearance appearance = currentAppearance());

} // namespace SystemColours
} // namespace quorvel
