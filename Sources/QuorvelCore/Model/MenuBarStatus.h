#pragma once

#include "Model/LightState.h"

namespace quorvel {

// One group of the menu-bar display: a visible state and how many tasks show it.
struct MenuBarStatus {
    LightState state = LightState::unknown;
    int count = 0;

    bool operator==(const MenuBarStatus&) const = default;
};

} // namespace quorvel
