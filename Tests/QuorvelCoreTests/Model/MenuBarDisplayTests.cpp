#include "Model/MenuBarStatus.h"
#include "Model/StatusSound.h"
#include "Model/TrayLampCounts.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using enum LightState;
using Groups = std::vector<MenuBarStatus>;

TEST(MenuBarDisplayTests, GroupsInFixedOrderWithUnknownOnlyWhenAlone) {
    EXPECT_EQ(LightStates::menuBarStatuses({}), (Groups{{unknown, 0}}));
    EXPECT_EQ(LightStates::menuBarStatuses({unknown, unknown}), (Groups{{unknown, 2}}));
    EXPECT_EQ(LightStates::menuBarStatuses({done, waiting, unknown, done}),
              (Groups{{waiting, 1}, {done, 2}}));
    EXPECT_EQ(LightStates::menuBarStatuses({done, unread, working, failed, waiting, unread}),
              (Groups{{waiting, 1}, {failed, 1}, {working, 1}, {unread, 2}, {done, 1}}));
}

TEST(MenuBarDisplayTests, LampCounts) {
    EXPECT_EQ(TrayLampCounts(Groups{{waiting, 2}, {failed, 1}, {working, 3}}), TrayLampCounts(3, 3, 0, 0));
    EXPECT_EQ(TrayLampCounts(Groups{{unknown, 4}}), TrayLampCounts(0, 0, 0, 0));
    EXPECT_EQ(TrayLampCounts(Groups{{unread, 2}, {done, 5}, {unread, 7}}), TrayLampCounts(0, 0, 2, 5));
    EXPECT_EQ(TrayLampCounts(Groups{{failed, 1}, {failed, 2}}), TrayLampCounts(3, 0, 0, 0));
}

TEST(MenuBarDisplayTests, SoundsForChanges) {
    EXPECT_EQ(LightStates::soundCue(waiting, std::nullopt), StatusSound::attention);
    EXPECT_EQ(LightStates::soundCue(waiting, waiting), std::nullopt);
    EXPECT_EQ(LightStates::soundCue(unread, working), StatusSound::finished);
    EXPECT_EQ(LightStates::soundCue(done, unread), std::nullopt);
    EXPECT_EQ(LightStates::soundCue(failed, waiting), StatusSound::attention);
    EXPECT_EQ(LightStates::soundCue(working, done), std::nullopt);
    EXPECT_EQ(LightStates::soundCue(unknown, std::nullopt), std::nullopt);
    EXPECT_EQ(StatusSounds::systemFileName(StatusSound::finished), "Glass");
    EXPECT_EQ(StatusSounds::systemFileName(StatusSound::attention), "Ping");
}

} // namespace
} // namespace quorvel
