#include "Refresh/RefreshWorker.h"
#include "Support/AppDelegateTest.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::claudeTask;

class Refresh : public testing::AppDelegateTest {
protected:
    void SetUp() override { launch(); }
    std::filesystem::path orcaStateFile() const { return OrcaReadState::defaultURL(harness.home.path()); }
};

TEST_F(Refresh, ATickWhileARefreshRunsIsDroppedAndTheNextOneStartsAfterTheApply) {
    ASSERT_EQ(harness.refresh->starts.size(), 1u);
    EXPECT_TRUE(delegate->refreshing);
    delegate->refresh();
    delegate->refresh();
    EXPECT_EQ(harness.refresh->starts.size(), 1u);
    harness.answerRefresh({});
    EXPECT_FALSE(delegate->refreshing);
    delegate->refresh();
    EXPECT_EQ(harness.refresh->starts.size(), 2u);
}

TEST_F(Refresh, TheRefreshReadsTheProvidersEnabledWhenItStarts) {
    harness.answerRefresh({});
    delegate->codexEnabled = false;
    delegate->claudeEnabled = true;
    delegate->refresh();
    EXPECT_FALSE(harness.refresh->starts.back().codexEnabled);
    EXPECT_TRUE(harness.refresh->starts.back().claudeEnabled);
}

TEST_F(Refresh, TheSnapshotReplacesTasksDiagnosticReadStateAndHealth) {
    RefreshSnapshot snapshot;
    snapshot.tasks = {claudeTask(1, "One", LightState::working, now())};
    snapshot.diagnostic = "Could not read Claude Code status.";
    snapshot.readState.codex.unread = std::set<std::string>{"x"};
    snapshot.claudeHealth = ClaudeIntegrationHealth::needsRepair;
    harness.refresh->answer(snapshot);
    EXPECT_EQ(delegate->tasks, snapshot.tasks);
    EXPECT_EQ(delegate->diagnostic, snapshot.diagnostic);
    EXPECT_EQ(delegate->readState.codex, snapshot.readState.codex);
    EXPECT_EQ(delegate->claudeHealth, ClaudeIntegrationHealth::needsRepair);
}

TEST_F(Refresh, AFailedReadEmptiesTheMenuToItsDiagnostic) {
    harness.answerRefresh({}, std::string(refreshFailureDiagnostic));
    QStringList shown = testing::visibleItemTexts(*delegate->menu());
    EXPECT_EQ(shown.at(2), QString::fromUtf8(refreshFailureDiagnostic.data()));
    for (const auto& row : delegate->taskMenuRows)
        EXPECT_FALSE(row.title->isVisible());
}

TEST_F(Refresh, TheOrcaReadStateOnDiskWinsAndRemembersTheNewTasks) {
    const auto task = testing::inOrca(claudeTask(1, "In Orca", LightState::unread, now()), now());
    OrcaReadState onDisk;
    onDisk.readAt["claude-other"] = now();
    onDisk.save(orcaStateFile(), now());
    RefreshSnapshot snapshot;
    snapshot.tasks = {task};
    snapshot.readState.orca.readAt["from-snapshot"] = now();
    harness.refresh->answer(snapshot);
    const auto saved = OrcaReadState::load(orcaStateFile());
    EXPECT_EQ(saved, delegate->readState.orca);
    EXPECT_FALSE(saved.readAt.contains("from-snapshot"));
    EXPECT_TRUE(saved.ownership.contains(task.id));
}

TEST_F(Refresh, AnUnreadableOrcaReadStateKeepsTheSnapshots) {
    testing::writeFile(orcaStateFile(), "not json");
    RefreshSnapshot snapshot;
    const auto task = testing::inOrca(claudeTask(1, "In Orca", LightState::unread, now()), now());
    snapshot.readState.orca.ownership[task.id] = *task.orcaSession;
    harness.refresh->answer(snapshot);
    EXPECT_TRUE(delegate->readState.orca.ownership.contains(task.id));
}

TEST_F(Refresh, AReadStateFileThatIsALinkIsNeitherReadNorWrittenThrough) {
    testing::TemporaryDirectory elsewhere;
    OrcaReadState outside;
    outside.readAt["claude-outside"] = now();
    outside.save(elsewhere / "orca-state.json", now());
    const std::string outsideBytes = testing::readFile(elsewhere / "orca-state.json");
    std::filesystem::create_directories(orcaStateFile().parent_path());
    std::filesystem::create_symlink(elsewhere / "orca-state.json", orcaStateFile());
    const auto task = testing::inOrca(claudeTask(1, "In Orca", LightState::unread, now()), now());
    harness.answerRefresh({task});
    EXPECT_FALSE(delegate->readState.orca.readAt.contains("claude-outside"));
    EXPECT_EQ(testing::readFile(elsewhere / "orca-state.json"), outsideBytes);
    EXPECT_TRUE(delegate->readState.orca.ownership.contains(task.id));
}

class FocusedCompletion : public Refresh {
protected:
    TaskStatus focusedUnread() const {
        auto task = claudeTask(1, "Answer", LightState::unread, now() - 30);
        task.providerSessionLastFocusedAt = now() - 10;
        return task;
    }
};

TEST_F(FocusedCompletion, TheClaudeAppInFrontMarksItsFocusedCompletionRead) {
    harness.frontmost->identifier = "com.anthropic.claudefordesktop";
    harness.answerRefresh({focusedUnread()});
    EXPECT_EQ(focusedUnread().visibleState(now(), delegate->readState), LightState::done);
    EXPECT_EQ(ClaudeReadState::load(ClaudeReadState::defaultURL(harness.home.path())),
              delegate->readState.claude);
    EXPECT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::done, 1}}));
}

TEST_F(FocusedCompletion, AnotherOrNoApplicationInFrontMarksNothing) {
    for (std::optional<QString> frontmost :
         {std::optional<QString>(), std::optional(QStringLiteral("org.gnome.Terminal")),
          std::optional(QStringLiteral("com.anthropic.claudefordesktop.helper"))}) {
        harness.frontmost->identifier = frontmost;
        harness.refreshWith({focusedUnread()});
        EXPECT_EQ(focusedUnread().visibleState(now(), delegate->readState), LightState::unread);
    }
    EXPECT_FALSE(std::filesystem::exists(ClaudeReadState::defaultURL(harness.home.path())));
}

} // namespace
} // namespace quorvel
