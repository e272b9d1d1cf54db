#include "Platform/X11Keyboard.h"

#include <algorithm>

namespace quorvel::X11Keyboard {

namespace {

constexpr std::size_t firstModRow = 3; // rows 0-2 are Shift, Lock and Control
constexpr std::uint16_t modifierBits = 0x00ff;

bool producesAny(Keycode keycode, const std::function<std::vector<Keysym>(Keycode)>& keysymsOf,
                 std::initializer_list<Keysym> wanted) {
    const auto produced = keysymsOf(keycode);
    return std::any_of(produced.begin(), produced.end(), [&](Keysym keysym) {
        return std::find(wanted.begin(), wanted.end(), keysym) != wanted.end();
    });
}

} // namespace

ModifierMasks modifierMasks(const std::vector<std::vector<Keycode>>& rows,
                            const std::function<std::vector<Keysym>(Keycode)>& keysymsOf) {
    ModifierMasks masks;
    for (std::size_t row = firstModRow; row < rows.size() && row < 8; ++row) {
        const auto bit = static_cast<std::uint16_t>(1u << row);
        for (const Keycode keycode : rows[row]) {
            if (keycode == 0)
                continue;
            if (!masks.alt && producesAny(keycode, keysymsOf, {keysymAltL, keysymAltR}))
                masks.alt = bit;
            if (!masks.super && producesAny(keycode, keysymsOf, {keysymSuperL, keysymSuperR}))
                masks.super = bit;
            if (!masks.numLock && producesAny(keycode, keysymsOf, {keysymNumLock}))
                masks.numLock = bit;
        }
    }
    return masks;
}

std::vector<std::uint16_t> lockVariants(std::uint16_t modifiers, std::uint16_t numLock) {
    std::vector<std::uint16_t> variants;
    for (const std::uint16_t locks :
         {std::uint16_t(0), numLock, lockMask, std::uint16_t(numLock | lockMask)}) {
        const auto variant = static_cast<std::uint16_t>(modifiers | locks);
        if (std::find(variants.begin(), variants.end(), variant) == variants.end())
            variants.push_back(variant);
    }
    return variants;
}

std::uint16_t withoutLocks(std::uint16_t state, std::uint16_t numLock) {
    return static_cast<std::uint16_t>(state & modifierBits & ~(numLock | lockMask));
}

} // namespace quorvel::X11Keyboard
