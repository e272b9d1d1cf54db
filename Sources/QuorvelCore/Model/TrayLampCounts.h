#pragma once

#include "Model/MenuBarStatus.h"

#include <vector>

namespace quorvel {

// The numbers on the four lamps: red (waiting and failed), amber (working), blue (finished unread) and
// green (finished read). Unknown tasks light no lamp.
struct TrayLampCounts {
    int red = 0;
    int amber = 0;
    int blue = 0;
    int green = 0;

    TrayLampCounts() = default;
    TrayLampCounts(int red, int amber, int blue, int green)
        : red(red), amber(amber), blue(blue), green(green) {}
    explicit TrayLampCounts(const std::vector<MenuBarStatus>& statuses);

    bool operator==(const TrayLampCounts&) const = default;
};

} // namespace quorvel
