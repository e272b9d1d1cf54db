#pragma once

#include <QPalette>

namespace quorvel::testing {

// Turns the application dark for the life of the object, as a desktop switching to a dark theme does:
// the palette is set on the application, never on our widgets; the windows hear of it at once and the
// widgets inside them once the event loop has run.
class DarkPalette {
public:
    explicit DarkPalette(const QPalette& palette = colours());
    ~DarkPalette();
    DarkPalette(const DarkPalette&) = delete;
    DarkPalette& operator=(const DarkPalette&) = delete;

    // What a dark desktop theme (here KDE's Breeze Dark) hands the application: its colour scheme's roles
    // set one by one on Qt's own palette, as platform themes do. Roles the scheme leaves out keep Qt's
    // light defaults, among them the placeholder text (black at half strength).
    static QPalette colours();
    // Qt's own dark palette, derived from nothing but a theme's button and window colours: black fields,
    // a navy highlight and pure blue links.
    static QPalette derived();

private:
    QPalette saved_;
};

} // namespace quorvel::testing
