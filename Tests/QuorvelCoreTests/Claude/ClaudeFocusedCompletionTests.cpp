#include "Claude/ClaudeFocusedCompletion.h"
#include "Model/TaskReadState.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const Date now{800'000'000};

TaskStatus claudeTask(char digit, LightState state, std::optional<double> focusedAgo) {
    auto task = TaskStatus::make("claude-5f0c2a4e-9b1d-4c3e-8f7a-6b5c4d3e2f1" + std::string(1, digit), "c",
                                 state, now - 30, std::string(claudeCodeSource));
    if (focusedAgo)
        task.providerSessionLastFocusedAt = now - *focusedAgo;
    return task;
}

std::optional<std::string> candidateID(const std::vector<TaskStatus>& tasks,
                                       const TaskReadState& readState = {}) {
    auto candidate = ClaudeFocusedCompletion::unreadCandidate(tasks, readState, now);
    return candidate ? std::optional(candidate->id) : std::nullopt;
}

TEST(ClaudeFocusedCompletionTests, TheUnreadTaskFocusedLastIsChosen) {
    auto earlier = claudeTask('1', LightState::done, 120);
    auto latest = claudeTask('2', LightState::done, 60);
    EXPECT_EQ(candidateID({earlier, latest}), latest.id);
    EXPECT_EQ(candidateID({latest, earlier}), latest.id);

    auto tied = claudeTask('3', LightState::done, 60);
    EXPECT_EQ(candidateID({tied, latest}), tied.id);
}

TEST(ClaudeFocusedCompletionTests, OnlyTheLastFocusedTaskIsTried) {
    auto unread = claudeTask('1', LightState::done, 120);
    auto working = claudeTask('2', LightState::working, 60);
    EXPECT_EQ(candidateID({unread, working}), std::nullopt);

    auto finished = claudeTask('2', LightState::done, 60);
    TaskReadState readState;
    readState.claude.markRead(finished, now);
    EXPECT_EQ(candidateID({unread, finished}, readState), std::nullopt);
}

TEST(ClaudeFocusedCompletionTests, OrcaTasksOthersAndUnfocusedTasksAreNeverChosen) {
    auto inOrca = claudeTask('1', LightState::done, 10);
    inOrca.orcaSession = OrcaSessionReference{"claude", "x", "t", "l", "w", now, std::nullopt};
    auto local = claudeTask('2', LightState::done, 10);
    local.source = std::string(localStatusSource);
    auto unfocused = claudeTask('3', LightState::done, std::nullopt);
    EXPECT_EQ(candidateID({inOrca, local, unfocused}), std::nullopt);

    auto older = claudeTask('4', LightState::done, 300);
    EXPECT_EQ(candidateID({inOrca, local, unfocused, older}), older.id);
}

} // namespace
} // namespace quorvel
