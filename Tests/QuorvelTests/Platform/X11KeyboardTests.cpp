#include "Platform/X11Keyboard.h"

#include <gtest/gtest.h>
#include <map>

namespace quorvel {
namespace {

using namespace X11Keyboard;
using Rows = std::vector<std::vector<Keycode>>;

// The keysyms of a small keyboard: 64 Alt_L (also Meta_L), 133 Super_L, 77 Num_Lock, 50 Shift_L, 66 Caps.
std::vector<Keysym> keysymsOf(Keycode code) {
    static const std::map<Keycode, std::vector<Keysym>> table = {
        {64, {keysymAltL, 0xffe7}}, {108, {keysymAltR}}, {133, {keysymSuperL}}, {134, {keysymSuperR}},
        {77, {keysymNumLock}},      {50, {0xffe1}},      {66, {0xffe5}},        {37, {0xffe3}},
    };
    const auto found = table.find(code);
    return found == table.end() ? std::vector<Keysym>{} : found->second;
}

TEST(X11KeyboardModifierMasks, FindsAltSuperAndNumLockWhereTheMappingPutsThem) {
    const Rows usual = {{50, 0}, {66, 0}, {37, 0}, {64, 108}, {77, 0}, {0, 0}, {133, 134}, {0, 0}};
    EXPECT_EQ(modifierMasks(usual, keysymsOf), (ModifierMasks{0x08, 0x40, 0x10}));

    // Super moved to Mod3, Num Lock to Mod5, Alt found through its right-hand key only.
    const Rows moved = {{50}, {66}, {37}, {108}, {0}, {133}, {0}, {77}};
    EXPECT_EQ(modifierMasks(moved, keysymsOf), (ModifierMasks{0x08, 0x20, 0x80}));
}

TEST(X11KeyboardModifierMasks, IgnoresShiftLockAndControlRowsAndMissingModifiers) {
    // Alt on the Control row does not make Control an Alt modifier; no Num Lock anywhere.
    const Rows rows = {{50}, {66}, {64}, {0}, {0}, {0}, {133}, {0}};
    EXPECT_EQ(modifierMasks(rows, keysymsOf), (ModifierMasks{0, 0x40, 0}));
    EXPECT_EQ(modifierMasks({}, keysymsOf), ModifierMasks{});
}

TEST(X11KeyboardLockVariants, CoverEveryNumLockAndCapsLockCombination) {
    EXPECT_EQ(lockVariants(0x48, 0x10), (std::vector<std::uint16_t>{0x48, 0x58, 0x4a, 0x5a}));
    // Without a Num Lock modifier only Caps Lock doubles the grab.
    EXPECT_EQ(lockVariants(0x48, 0), (std::vector<std::uint16_t>{0x48, 0x4a}));
}

TEST(X11KeyboardWithoutLocks, StripsLocksAndPointerButtonsButKeepsRealModifiers) {
    EXPECT_EQ(withoutLocks(0x48 | 0x10 | 0x02 | 0x100, 0x10), 0x48);
    EXPECT_EQ(withoutLocks(0x48 | 0x01, 0x10), 0x49); // Shift still counts
}

} // namespace
} // namespace quorvel
