#pragma once

#include <QPalette>

namespace quorvel::testing {

// Turns the application dark for the life of the object, as a desktop switching to a dark theme does:
// the windows hear of it at once and the widgets inside them once the event loop has run.
class DarkPalette {
public:
    DarkPalette();
    ~DarkPalette();
    DarkPalette(const DarkPalette&) = delete;
    DarkPalette& operator=(const DarkPalette&) = delete;

    // The dark palette itself, complete enough for every window to draw with.
    static QPalette colours();

private:
    QPalette saved_;
};

} // namespace quorvel::testing
