#include "Model/TaskReadState.h"
#include "Model/TaskStatus.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

const Date now{800'000'000};

TaskStatus codexTask(LightState state, double age, std::optional<bool> attention = std::nullopt) {
    auto task = TaskStatus::make("codex-t1", "task", state, now - age, std::string(codexHistorySource));
    task.confirmedAttentionPending = attention;
    return task;
}

TaskReadState readingEverything() {
    return TaskReadState(CodexReadState{std::set<std::string>{}}, {}, {}, {});
}
TaskReadState readingNothing() {
    return TaskReadState(CodexReadState{std::set<std::string>{"t1"}}, {}, {}, {});
}

LightState visible(const TaskStatus& task, const TaskReadState& readState = readingEverything()) {
    return task.visibleState(now, readState);
}

TEST(VisibleStateTests, AnUpdateFarInTheFutureIsUnknown) {
    for (auto state : {LightState::done, LightState::failed, LightState::waiting, LightState::working}) {
        EXPECT_EQ(visible(codexTask(state, -61, true)), LightState::unknown) << LightStates::rawValue(state);
        EXPECT_EQ(visible(codexTask(state, -60, true)), state) << LightStates::rawValue(state);
    }
    EXPECT_EQ(visible(codexTask(LightState::done, -60.001)), LightState::unknown);
    EXPECT_EQ(visible(codexTask(LightState::done, std::nan(""))), LightState::unknown);
}

TEST(VisibleStateTests, FinishedTasksFollowTheReadTestAtAnyAge) {
    for (auto stored : {LightState::done, LightState::unread}) {
        for (double age : {0.0, 301.0, 30.0 * 86400}) {
            EXPECT_EQ(visible(codexTask(stored, age), readingEverything()), LightState::done);
            EXPECT_EQ(visible(codexTask(stored, age), readingNothing()), LightState::unread);
        }
    }
}

TEST(VisibleStateTests, ActiveStatesAgeToUnknownAfterFiveMinutes) {
    EXPECT_EQ(visible(codexTask(LightState::working, 300)), LightState::working);
    EXPECT_EQ(visible(codexTask(LightState::working, 300.5)), LightState::unknown);
    EXPECT_EQ(visible(codexTask(LightState::waiting, 300)), LightState::waiting);
    EXPECT_EQ(visible(codexTask(LightState::waiting, 301)), LightState::unknown);
    EXPECT_EQ(visible(codexTask(LightState::waiting, 301, false)), LightState::unknown);
    EXPECT_EQ(visible(codexTask(LightState::unknown, 0)), LightState::unknown);
    EXPECT_EQ(visible(codexTask(LightState::unknown, 86400)), LightState::unknown);
}

TEST(VisibleStateTests, ConfirmedWaitsAndFailuresDoNotAge) {
    EXPECT_EQ(visible(codexTask(LightState::waiting, 2 * 86400, true)), LightState::waiting);
    EXPECT_EQ(visible(codexTask(LightState::failed, 3 * 86400)), LightState::failed);
    EXPECT_EQ(visible(codexTask(LightState::working, 2 * 86400, true)), LightState::unknown);
}

} // namespace
} // namespace quorvel
