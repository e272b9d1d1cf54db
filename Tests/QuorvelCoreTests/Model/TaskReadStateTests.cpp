#include "Model/TaskReadState.h"
#include "TestSupport.h"

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

TEST(TaskReadStateTests, QuorvelsCodexMarksCountOnlyWhileTheDesktopFlagsAreUnknown) {
    TaskReadState readState;
    readState.codexMarks.markRead(codexTask(false), finished);
    EXPECT_TRUE(readState.hasRead(codexTask(false)));
    EXPECT_TRUE(readState.hasRead(codexTask(std::nullopt)));
    EXPECT_FALSE(readState.hasRead(codexTask(true))); // scheduled: the automation marks alone

    readState.codex.unread = std::set<std::string>{uuid};
    EXPECT_FALSE(readState.hasRead(codexTask(false)));
    readState.codex.unread = std::set<std::string>{};
    readState.codexMarks = {};
    EXPECT_TRUE(readState.hasRead(codexTask(false)));
}

TEST(TaskReadStateTests, ChoosingMarksTheReadStateThatJudgesTheTask) {
    using Marks = TaskReadState::OwnMarks;
    TaskReadState readState;
    EXPECT_EQ(readState.markRead(claudeTask(), finished), Marks::claude);
    EXPECT_EQ(readState.markRead(codexTask(true), finished), Marks::codexAutomations);
    EXPECT_EQ(readState.markRead(codexTask(std::nullopt), finished), Marks::codexMarks);
    for (const auto& task : {claudeTask(), codexTask(true), codexTask(false)})
        EXPECT_TRUE(readState.hasRead(task)) << task.id;
    EXPECT_EQ(readState.claude.readAt.size(), 1u);
    EXPECT_EQ(readState.codexAutomations.readAt.size(), 1u);
    EXPECT_EQ(readState.codexMarks.readAt.size(), 1u);
}

TEST(TaskReadStateTests, NothingIsMarkedWhereQuorvelKeepsNoMarkThatCounts) {
    auto inOrca = claudeTask();
    inOrca.orcaSession = orcaSession();
    auto noSession =
        TaskStatus::make("claude-session", "c", LightState::done, finished, std::string(claudeCodeSource));
    auto local = TaskStatus::make("build-1", "b", LightState::done, finished, std::string(localStatusSource));
    TaskReadState readState(CodexReadState{std::set<std::string>{uuid}}, {}, {}, {});
    for (const auto& task : {inOrca, noSession, local, codexTask(false)}) {
        EXPECT_EQ(readState.ownMarks(task), std::nullopt) << task.id;
        EXPECT_EQ(readState.markRead(task, finished + 10), std::nullopt) << task.id;
    }
    EXPECT_TRUE(readState.claude.readAt.empty());
    EXPECT_TRUE(readState.orca.readAt.empty());
    EXPECT_TRUE(readState.codexMarks.readAt.empty());
}

TEST(TaskReadStateTests, SavingWritesTheMarkedReadStatesOwnFile) {
    testing::TemporaryDirectory home;
    TaskReadState readState;
    readState.markRead(codexTask(false), finished);
    readState.save(TaskReadState::OwnMarks::codexMarks, home.path(), finished);
    EXPECT_EQ(CodexReadMarks::load(CodexReadMarks::defaultURL(home.path())), readState.codexMarks);
    EXPECT_FALSE(std::filesystem::exists(ClaudeReadState::defaultURL(home.path())));
    readState.save(TaskReadState::OwnMarks::claude, home.path(), finished);
    EXPECT_EQ(ClaudeReadState::load(ClaudeReadState::defaultURL(home.path())), readState.claude);
    readState.save(TaskReadState::OwnMarks::codexAutomations, home.path(), finished);
    EXPECT_EQ(CodexAutomationReadState::load(CodexAutomationReadState::defaultURL(home.path())),
              readState.codexAutomations);
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
