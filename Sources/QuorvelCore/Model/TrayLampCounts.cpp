#include "Model/TrayLampCounts.h"

#include <algorithm>

namespace quorvel {
namespace {

int firstCount(const std::vector<MenuBarStatus>& statuses, LightState state) {
    auto found = std::find_if(statuses.begin(), statuses.end(),
                              [state](const MenuBarStatus& status) { return status.state == state; });
    return found == statuses.end() ? 0 : found->count;
}

} // namespace

TrayLampCounts::TrayLampCounts(const std::vector<MenuBarStatus>& statuses)
    : amber(firstCount(statuses, LightState::working)), blue(firstCount(statuses, LightState::unread)),
      green(firstCount(statuses, LightState::done)) {
    for (const auto& status : statuses) {
        if (status.state == LightState::waiting || status.state == LightState::failed)
            red += status.count;
    }
}

} // namespace quorvel
