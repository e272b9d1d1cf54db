#include "Model/TaskReadState.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const std::string uuid = "5f0c2a4e-9b1d-4c3e-8f7a-6b5c4d3e2f1a";
const Date finished{800'000'000};

TaskStatus claudeTask() {
    return TaskStatus::make("claude-" + uuid, "c", LightState::done, finished, std::string(claudeCodeSource));
}

TaskStatus codexTask(std::optional<bool> isScheduled) {
    auto task =
        TaskStatus::make("codex-" + uuid, "x", LightState::done, finished, std::string(codexHistorySource));
    task.isScheduled = isScheduled;
    return task;
}

OrcaSessionReference orcaSession() {
    return {"claude", uuid, "tab", "leaf", "worktree", finished, std::nullopt};
}

TEST(TaskReadStateTests, OrcaTasksAreJudgedByTheOrcaMarksAlone) {
    auto task = claudeTask();
    task.orcaSession = orcaSession();
    TaskReadState readState;
    readState.claude.markRead(claudeTask(), finished + 10);
    EXPECT_FALSE(readState.hasRead(task));

    readState.orca.markRead(task);
    EXPECT_TRUE(readState.hasRead(task));
    readState.claude = {};
    EXPECT_TRUE(readState.hasRead(task));
}

TEST(TaskReadStateTests, LocalRecordsAreNeverRead) {
    auto task = TaskStatus::make("build-1", "b", LightState::done, finished, std::string(localStatusSource));
    TaskReadState readState(CodexReadState{std::set<std::string>{}}, {}, {}, {});
    EXPECT_FALSE(readState.hasRead(task));
}

TEST(TaskReadStateTests, ScheduledCodexTasksNeedAnAutomationMark) {
    TaskReadState readState(CodexReadState{std::set<std::string>{}}, {}, {}, {});
    auto scheduled = codexTask(true);
    EXPECT_FALSE(readState.hasRead(scheduled));
    readState.codexAutomations.markRead(scheduled, finished - 5);
    EXPECT_TRUE(readState.hasRead(scheduled));
    scheduled.updatedAt = finished + 1;
    EXPECT_FALSE(readState.hasRead(scheduled));
}

TEST(TaskReadStateTests, UnscheduledCodexTasksFollowTheDesktopFlags) {
    TaskReadState readState;
    EXPECT_FALSE(readState.hasRead(codexTask(std::nullopt)));
    readState.codexAutomations.markRead(codexTask(true), finished);
    EXPECT_FALSE(readState.hasRead(codexTask(false)));

    readState.codex.unread = std::set<std::string>{};
    EXPECT_TRUE(readState.hasRead(codexTask(std::nullopt)));
    EXPECT_TRUE(readState.hasRead(codexTask(false)));
    readState.codex.unread = std::set<std::string>{uuid};
    EXPECT_FALSE(readState.hasRead(codexTask(false)));
}

TEST(TaskReadStateTests, NothingMarkedMakesEveryFinishedTaskUnread) {
    TaskReadState readState;
    auto orcaTask = codexTask(false);
    orcaTask.orcaSession = orcaSession();
    for (const auto& task : {claudeTask(), codexTask(true), codexTask(std::nullopt), orcaTask})
        EXPECT_EQ(task.visibleState(finished, readState), LightState::unread) << task.id;
}

TEST(TaskReadStateTests, CopiesAreIndependent) {
    TaskReadState original;
    auto copy = original;
    copy.claude.markRead(claudeTask(), finished);
    EXPECT_TRUE(copy.hasRead(claudeTask()));
    EXPECT_FALSE(original.hasRead(claudeTask()));
}

} // namespace
} // namespace quorvel
