#include "Model/TaskStatus.h"
#include "Orca/TaskOpenDestination.h"

#include <gtest/gtest.h>

using namespace quorvel;

namespace {

constexpr std::string_view uuid = "6F1C2B9A-3D4E-4F50-8A6B-7C8D9E0F1A2B";

TaskStatus task(std::string id, std::string_view source) {
    return TaskStatus::make(std::move(id), "t", LightState::done, Date{0}, std::string(source));
}

OrcaSessionReference orcaPane() {
    return OrcaSessionReference{"claude", "x", "tab", "leaf", "worktree", Date{1}, std::nullopt};
}

} // namespace

TEST(TaskOpenDestination, OrcaTasksOpenInOrcaEvenWithADesktopLink) {
    TaskStatus claude = task("claude-" + std::string(uuid), claudeCodeSource);
    claude.providerSessionID = "local_" + std::string(uuid);
    ASSERT_TRUE(claude.taskURL());
    EXPECT_EQ(openDestination(claude), TaskOpenDestination::desktop(*claude.taskURL()));

    claude.orcaSession = orcaPane();
    EXPECT_EQ(openDestination(claude), TaskOpenDestination::orca("claude-" + std::string(uuid)));
}

TEST(TaskOpenDestination, AnyProviderWithAnOrcaSessionOpensInOrcaKeepingTheIdsCase) {
    TaskStatus local = task("Build-7", localStatusSource);
    EXPECT_EQ(openDestination(local), std::nullopt);
    local.orcaSession = orcaPane();
    EXPECT_EQ(openDestination(local), TaskOpenDestination::orca("Build-7"));
}

TEST(TaskOpenDestination, TasksWithoutAUsableLinkHaveNoDestination) {
    EXPECT_EQ(openDestination(task("claude-" + std::string(uuid), claudeCodeSource)), std::nullopt);
    EXPECT_EQ(openDestination(task("codex-not-a-uuid", codexHistorySource)), std::nullopt);
    const TaskStatus codex = task("codex-" + std::string(uuid), codexHistorySource);
    EXPECT_EQ(openDestination(codex), TaskOpenDestination::desktop("codex://threads/" + std::string(uuid)));
}

TEST(TaskOpenDestination, EqualityComparesCaseAndPayload) {
    EXPECT_NE(TaskOpenDestination::orca("a"), TaskOpenDestination::desktop("a"));
    EXPECT_NE(TaskOpenDestination::orca("a"), TaskOpenDestination::orca("A"));
}
