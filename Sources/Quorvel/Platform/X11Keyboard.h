#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The keyboard facts an X11 key grab needs, as plain functions over the server's mappings.
namespace quorvel::X11Keyboard {

using Keycode = std::uint8_t;
using Keysym = std::uint32_t;

// Fixed keysym values of the X protocol.
inline constexpr Keysym keysymL = 0x006c;         // XK_l
inline constexpr Keysym keysymAltL = 0xffe9;      // XK_Alt_L
inline constexpr Keysym keysymAltR = 0xffea;      // XK_Alt_R
inline constexpr Keysym keysymSuperL = 0xffeb;    // XK_Super_L
inline constexpr Keysym keysymSuperR = 0xffec;    // XK_Super_R
inline constexpr Keysym keysymNumLock = 0xff7f;   // XK_Num_Lock
inline constexpr std::uint16_t lockMask = 0x0002; // Caps Lock, always the Lock modifier

// Which modifier bits Alt, Super and Num Lock sit on (0 when none carries them).
struct ModifierMasks {
    std::uint16_t alt = 0;
    std::uint16_t super = 0;
    std::uint16_t numLock = 0;
    bool operator==(const ModifierMasks&) const = default;
};

// `rows` is the server's modifier mapping: eight rows (Shift, Lock, Control, Mod1 … Mod5) of keycodes,
// 0 for an unused slot. `keysymsOf` gives the keysyms a keycode produces.
ModifierMasks modifierMasks(const std::vector<std::vector<Keycode>>& rows,
                            const std::function<std::vector<Keysym>(Keycode)>& keysymsOf);

// The modifier sets to grab so that the key works with Num Lock and Caps Lock on or off: the four
// combinations, without repeats when Num Lock has no modifier bit.
std::vector<std::uint16_t> lockVariants(std::uint16_t modifiers, std::uint16_t numLock);

// An event's modifier state with the lock modifiers and the pointer-button bits removed.
std::uint16_t withoutLocks(std::uint16_t state, std::uint16_t numLock);

} // namespace quorvel::X11Keyboard
