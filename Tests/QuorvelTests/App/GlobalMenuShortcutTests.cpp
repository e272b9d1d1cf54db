#include "App/GlobalMenuShortcut.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// A backend that records the calls and refuses what the test says.
struct BackendLog {
    std::vector<std::string> calls;
    HotKeyBackend::Handler handler;
    bool refusesHandler = false;
    bool refusesHotKey = false;
};

class FakeHotKeyBackend final : public HotKeyBackend {
public:
    explicit FakeHotKeyBackend(BackendLog& log) : log_(log) {}
    bool installHandler(Handler handler) override {
        log_.calls.push_back("installHandler");
        if (log_.refusesHandler)
            return false;
        log_.handler = std::move(handler);
        return true;
    }
    void removeHandler() override {
        log_.calls.push_back("removeHandler");
        log_.handler = nullptr;
    }
    bool registerHotKey(std::uint32_t id) override {
        log_.calls.push_back("registerHotKey " + std::to_string(id));
        return !log_.refusesHotKey;
    }
    void unregisterHotKey() override { log_.calls.push_back("unregisterHotKey"); }

private:
    BackendLog& log_;
};

class GlobalMenuShortcutTest : public ::testing::Test {
protected:
    BackendLog log;
    int actions = 0;
    GlobalMenuShortcut shortcut{[this] { ++actions; }, std::make_unique<FakeHotKeyBackend>(log)};

    using Calls = std::vector<std::string>;
};

TEST_F(GlobalMenuShortcutTest, RegisteringInstallsTheHandlerThenGrabsKeyOne) {
    EXPECT_TRUE(shortcut.registerShortcut());
    EXPECT_EQ(log.calls, (Calls{"installHandler", "registerHotKey 1"}));
    EXPECT_TRUE(shortcut.hasHandler());
    EXPECT_TRUE(shortcut.hasHotKey());
}

TEST_F(GlobalMenuShortcutTest, OnlyPressesOfIdOneRunTheAction) {
    ASSERT_TRUE(shortcut.registerShortcut());
    log.handler(2);
    log.handler(0);
    EXPECT_EQ(actions, 0);
    log.handler(1);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalMenuShortcutTest, AFailedGrabLeavesNoHandlerInstalled) {
    log.refusesHotKey = true;
    EXPECT_FALSE(shortcut.registerShortcut());
    EXPECT_EQ(log.calls, (Calls{"installHandler", "registerHotKey 1", "removeHandler"}));
    EXPECT_FALSE(shortcut.hasHandler());
    EXPECT_FALSE(shortcut.hasHotKey());
    EXPECT_FALSE(log.handler);
}

TEST_F(GlobalMenuShortcutTest, AHandlerThatCannotBeInstalledRegistersNothing) {
    log.refusesHandler = true;
    EXPECT_FALSE(shortcut.registerShortcut());
    EXPECT_EQ(log.calls, (Calls{"installHandler"}));
    shortcut.unregisterAtShutdown();
    EXPECT_EQ(log.calls, (Calls{"installHandler"}));
}

TEST_F(GlobalMenuShortcutTest, ShutDownUngrabsThenRemovesTheHandlerOnce) {
    ASSERT_TRUE(shortcut.registerShortcut());
    shortcut.unregisterAtShutdown();
    shortcut.unregisterAtShutdown();
    EXPECT_EQ(log.calls, (Calls{"installHandler", "registerHotKey 1", "unregisterHotKey", "removeHandler"}));
    EXPECT_FALSE(shortcut.hasHandler());
    EXPECT_FALSE(shortcut.hasHotKey());
}

TEST(GlobalMenuShortcutWithoutAction, APressWithNoActionDoesNothing) {
    BackendLog log;
    GlobalMenuShortcut shortcut(nullptr, std::make_unique<FakeHotKeyBackend>(log));
    ASSERT_TRUE(shortcut.registerShortcut());
    log.handler(1);
}

} // namespace
} // namespace quorvel
