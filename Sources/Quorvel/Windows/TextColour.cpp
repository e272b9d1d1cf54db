#include "Windows/TextColour.h"

#include "Platform/SystemColours.h"
#include "Windows/Palette.h"

namespace quorvel {

QColor resolve(TextColour colour) {
    switch (colour) {
    case TextColour::label:
        return Palette::label();
    case TextColour::secondaryLabel:
        return Palette::secondaryLabel();
    case TextColour::tertiaryLabel:
        return Palette::tertiaryLabel();
    case TextColour::systemRed:
        return SystemColours::red();
    case TextColour::link:
        return Palette::link();
    case TextColour::onAccent:
        return Palette::onAccent();
    }
    return Palette::label();
}

} // namespace quorvel
