#include "Login/LaunchAtLoginError.h"
#include "Login/LaunchAtLoginManager.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel {
namespace {

using State = LaunchAtLoginState;

// A login-item service whose state a test sets, and that records what it was asked to do.
struct FakeService {
    State state = State::disabled;
    State stateAfterRegister = State::enabled;
    bool registerFails = false;
    bool unregisterFails = false;
    std::vector<std::string> calls;
    int statusReads = 0;

    LaunchAtLoginManager manager() {
        return LaunchAtLoginManager(
            [this] {
                ++statusReads;
                return state;
            },
            [this] {
                calls.push_back("register");
                state = stateAfterRegister;
                if (registerFails)
                    throw std::runtime_error("service refused");
            },
            [this] {
                calls.push_back("unregister");
                if (unregisterFails)
                    throw std::runtime_error("service refused");
                state = State::disabled;
            },
            [this] { calls.push_back("open settings"); });
    }
};

TEST(LaunchAtLoginManager, StateIsReadFromTheServiceAtEveryRead) {
    FakeService service;
    auto manager = service.manager();
    EXPECT_EQ(manager.state(), State::disabled);
    service.state = State::needsApproval;
    EXPECT_EQ(manager.state(), State::needsApproval);
    EXPECT_EQ(service.statusReads, 2);
}

TEST(LaunchAtLoginManager, TurningOnRegistersOnlyWhenDisabled) {
    FakeService disabled;
    disabled.manager().setEnabled(true);
    EXPECT_EQ(disabled.calls, std::vector<std::string>{"register"});
    EXPECT_EQ(disabled.state, State::enabled);

    FakeService enabled;
    enabled.state = State::enabled;
    enabled.manager().setEnabled(true);
    EXPECT_TRUE(enabled.calls.empty());
}

TEST(LaunchAtLoginManager, TurningOnWhileAwaitingApprovalThrowsWithoutCallingTheService) {
    FakeService service;
    service.state = State::needsApproval;
    EXPECT_THROW(service.manager().setEnabled(true), LaunchAtLoginError);
    EXPECT_TRUE(service.calls.empty());
}

TEST(LaunchAtLoginManager, RegistrationLeftAwaitingApprovalThrowsNeedsApproval) {
    FakeService succeeded;
    succeeded.stateAfterRegister = State::needsApproval;
    EXPECT_THROW(succeeded.manager().setEnabled(true), LaunchAtLoginError);
    EXPECT_EQ(succeeded.calls, std::vector<std::string>{"register"});

    FakeService failed;
    failed.registerFails = true;
    failed.stateAfterRegister = State::needsApproval;
    EXPECT_THROW(failed.manager().setEnabled(true), LaunchAtLoginError);
}

TEST(LaunchAtLoginManager, FailedRegistrationOtherwiseSurfacesTheServiceError) {
    FakeService service;
    service.registerFails = true;
    service.stateAfterRegister = State::disabled;
    EXPECT_THROW(service.manager().setEnabled(true), std::runtime_error);
}

TEST(LaunchAtLoginManager, TurningOffUnregistersUnlessDisabled) {
    for (State state : {State::enabled, State::needsApproval}) {
        FakeService service;
        service.state = state;
        service.manager().setEnabled(false);
        EXPECT_EQ(service.calls, std::vector<std::string>{"unregister"});
    }
    FakeService disabled;
    disabled.manager().setEnabled(false);
    EXPECT_TRUE(disabled.calls.empty());

    FakeService failing;
    failing.state = State::enabled;
    failing.unregisterFails = true;
    EXPECT_THROW(failing.manager().setEnabled(false), std::runtime_error);
}

TEST(LaunchAtLoginManager, OpensSettingsThroughItsFunction) {
    FakeService service;
    service.manager().openSystemSettings();
    EXPECT_EQ(service.calls, std::vector<std::string>{"open settings"});
}

TEST(LaunchAtLoginError, DescribesWhereToAllowTheItem) {
    EXPECT_STREQ(LaunchAtLoginError::needsApproval().what(),
                 "Your desktop needs you to allow Quorvel in its autostart settings.");
}

} // namespace
} // namespace quorvel
