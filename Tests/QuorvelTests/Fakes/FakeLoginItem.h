#pragma once

#include "Login/LaunchAtLoginManager.h"

#include <memory>

namespace quorvel::testing {

// The login item as a state the test sets; registering while `approvalNeeded` leaves it awaiting approval.
struct FakeLoginItem {
    LaunchAtLoginState state = LaunchAtLoginState::disabled;
    bool approvalNeeded = false;
    int registrations = 0;
    int settingsOpened = 0;

    std::unique_ptr<LaunchAtLoginManager> manager() {
        return std::make_unique<LaunchAtLoginManager>(
            [this] { return state; },
            [this] {
                ++registrations;
                state = approvalNeeded ? LaunchAtLoginState::needsApproval : LaunchAtLoginState::enabled;
            },
            [this] { state = LaunchAtLoginState::disabled; }, [this] { ++settingsOpened; });
    }
};

} // namespace quorvel::testing
