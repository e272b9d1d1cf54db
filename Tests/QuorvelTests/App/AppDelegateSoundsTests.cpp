#include "Refresh/RefreshWorker.h"
#include "Support/AppDelegateTest.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::claudeTask;

class Sounds : public testing::AppDelegateTest {
protected:
    void SetUp() override { launch(); }
    TaskStatus waiting(int number) const {
        auto task = claudeTask(number, "Question", LightState::waiting, now());
        task.confirmedAttentionPending = true;
        return task;
    }
    TaskStatus working(int number) const { return claudeTask(number, "Busy", LightState::working, now()); }
    TaskStatus unread(int number) const { return claudeTask(number, "Answer", LightState::unread, now()); }
    const std::vector<StatusSound>& played() const { return harness.sounds->played; }
};

TEST_F(Sounds, TheFirstRefreshAfterLaunchIsSilent) {
    harness.answerRefresh({waiting(1), unread(2)});
    EXPECT_TRUE(played().empty());
    ASSERT_TRUE(delegate->previousVisibleStates);
    EXPECT_EQ(delegate->previousVisibleStates->size(), 2u);
}

TEST_F(Sounds, ATaskFirstSeenWaitingPlaysTheAttentionSound) {
    harness.answerRefresh({});
    harness.refreshWith({waiting(1)});
    EXPECT_EQ(played(), std::vector{StatusSound::attention});
    harness.refreshWith({waiting(1)});
    EXPECT_EQ(played().size(), 1u); // no change, no sound
}

TEST_F(Sounds, AttentionWinsOverFinishedAndOnlyOneSoundPlays) {
    harness.answerRefresh({working(1), working(2)});
    harness.refreshWith({unread(1), waiting(2)});
    EXPECT_EQ(played(), std::vector{StatusSound::attention});
    harness.refreshWith({unread(1), waiting(2), unread(3)});
    EXPECT_EQ(played(), (std::vector{StatusSound::attention, StatusSound::finished}));
}

TEST_F(Sounds, WithSoundsOffNothingPlaysNowOrAfterTheyAreTurnedOn) {
    harness.answerRefresh({working(1)});
    delegate->toggleSounds();
    harness.refreshWith({waiting(1)});
    delegate->toggleSounds();
    harness.refreshWith({waiting(1)});
    EXPECT_TRUE(played().empty());
}

TEST_F(Sounds, ATaskOutsideTheActivityWindowStillSounds) {
    harness.answerRefresh({});
    auto old = claudeTask(1, "Old", LightState::failed, now() - 48 * 3600);
    harness.refreshWith({old});
    EXPECT_TRUE(delegate->visibleRows(now()).empty());
    EXPECT_EQ(played(), std::vector{StatusSound::attention});
}

TEST_F(Sounds, TheLaterOfTwoTasksWithOneIdCounts) {
    harness.answerRefresh({working(1)});
    harness.refreshWith({waiting(1), working(1)});
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(delegate->previousVisibleStates->at(working(1).id), LightState::working);
}

TEST_F(Sounds, AFailedReadNeitherSoundsNorForgetsTheTasks) {
    harness.answerRefresh({waiting(1)});
    harness.refreshWith({}, std::string(refreshFailureDiagnostic));
    EXPECT_EQ(delegate->previousVisibleStates->size(), 1u);
    harness.refreshWith({waiting(1)});
    EXPECT_TRUE(played().empty()); // the task was waiting all along
}

TEST_F(Sounds, ASoundThatCannotPlayBeeps) {
    harness.sounds->fails = true;
    harness.answerRefresh({});
    harness.refreshWith({waiting(1)});
    EXPECT_EQ(harness.sounds->beeps, 1);
    EXPECT_FALSE(delegate->playingSound);
}

TEST_F(Sounds, APlayingSoundIsKept) {
    delegate->playSound(StatusSound::finished);
    EXPECT_EQ(delegate->playingSound, StatusSound::finished);
    delegate->playSound(StatusSound::attention);
    EXPECT_EQ(delegate->playingSound, StatusSound::attention);
    EXPECT_EQ(harness.sounds->beeps, 0);
}

} // namespace
} // namespace quorvel
