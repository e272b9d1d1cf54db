#pragma once

#include <QFont>

namespace quorvel {

// The fonts of the windows. Sizes are the layout's points, which are device-independent pixels here as
// on the platform the layouts were drawn for, so the text keeps its proportion to the distances around
// it whatever the desktop's font DPI.
namespace Typography {

// The desktop's user-interface font at the size and weight ("semibold" is QFont::DemiBold).
QFont system(int points, QFont::Weight weight = QFont::Normal);
// The same font for counters. The desktop's sans fonts draw their digits at one width already.
QFont monospacedDigit(int points, QFont::Weight weight = QFont::Normal);
// The desktop's fixed-width font.
QFont monospaced(int points, QFont::Weight weight = QFont::Normal);

} // namespace Typography
} // namespace quorvel
