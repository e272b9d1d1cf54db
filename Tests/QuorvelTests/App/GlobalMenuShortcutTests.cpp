#include "App/GlobalMenuShortcut.h"
#include "Fakes/FakeHotKeyBackend.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quorvel {
namespace {

using testing::FakeHotKeyBackend;

class GlobalMenuShortcutTest : public ::testing::Test {
protected:
    std::unique_ptr<FakeHotKeyBackend> made = std::make_unique<FakeHotKeyBackend>();
    FakeHotKeyBackend& backend = *made;
    int actions = 0;
    GlobalMenuShortcut shortcut{[this] { ++actions; }, std::move(made)};

    using Calls = std::vector<std::string>;
};

TEST_F(GlobalMenuShortcutTest, RegisteringInstallsTheHandlerThenGrabsKeyOne) {
    EXPECT_TRUE(shortcut.registerShortcut());
    EXPECT_EQ(backend.calls, (Calls{"installHandler", "registerHotKey 1"}));
    EXPECT_TRUE(shortcut.hasHandler());
    EXPECT_TRUE(shortcut.hasHotKey());
}

TEST_F(GlobalMenuShortcutTest, OnlyPressesOfIdOneRunTheAction) {
    ASSERT_TRUE(shortcut.registerShortcut());
    ASSERT_TRUE(backend.hasHandler());
    backend.press(2);
    backend.press(0);
    EXPECT_EQ(actions, 0);
    backend.press(1);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalMenuShortcutTest, AFailedGrabLeavesNoHandlerInstalled) {
    backend.refusesHotKey = true;
    EXPECT_FALSE(shortcut.registerShortcut());
    EXPECT_EQ(backend.calls, (Calls{"installHandler", "registerHotKey 1", "removeHandler"}));
    EXPECT_FALSE(shortcut.hasHandler());
    EXPECT_FALSE(shortcut.hasHotKey());
    EXPECT_FALSE(backend.hasHandler());
}

TEST_F(GlobalMenuShortcutTest, AHandlerThatCannotBeInstalledRegistersNothing) {
    backend.refusesHandler = true;
    EXPECT_FALSE(shortcut.registerShortcut());
    EXPECT_EQ(backend.calls, (Calls{"installHandler"}));
    shortcut.unregisterAtShutdown();
    EXPECT_EQ(backend.calls, (Calls{"installHandler"}));
}

TEST_F(GlobalMenuShortcutTest, ShutDownUngrabsThenRemovesTheHandlerOnce) {
    ASSERT_TRUE(shortcut.registerShortcut());
    shortcut.unregisterAtShutdown();
    shortcut.unregisterAtShutdown();
    EXPECT_EQ(backend.calls,
              (Calls{"installHandler", "registerHotKey 1", "unregisterHotKey", "removeHandler"}));
    EXPECT_FALSE(shortcut.hasHandler());
    EXPECT_FALSE(shortcut.hasHotKey());
}

TEST(GlobalMenuShortcutWithoutAction, APressWithNoActionDoesNothing) {
    auto made = std::make_unique<FakeHotKeyBackend>();
    FakeHotKeyBackend& backend = *made;
    GlobalMenuShortcut shortcut(nullptr, std::move(made));
    ASSERT_TRUE(shortcut.registerShortcut());
    ASSERT_TRUE(backend.hasHandler());
    backend.press(1);
}

} // namespace
} // namespace quorvel
