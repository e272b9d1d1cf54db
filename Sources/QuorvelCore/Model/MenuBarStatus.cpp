#include "Model/MenuBarStatus.h"

#include <algorithm>

namespace quorvel::LightStates {

std::vector<MenuBarStatus> menuBarStatuses(const std::vector<LightState>& states) {
    constexpr std::array shownOrder{LightState::waiting, LightState::failed, LightState::working,
                                    LightState::unread, LightState::done};
    std::vector<MenuBarStatus> groups;
    for (auto state : shownOrder) {
        auto count = static_cast<int>(std::count(states.begin(), states.end(), state));
        if (count > 0)
            groups.push_back({state, count});
    }
    if (groups.empty()) {
        auto state = aggregate(states);
        groups.push_back({state, static_cast<int>(std::count(states.begin(), states.end(), state))});
    }
    return groups;
}

} // namespace quorvel::LightStates
