#include "App/TaskStatusMetaType.h"
#include "Orca/OrcaNavigationError.h"
#include "Support/AppDelegateTest.h"
#include "Support/UnreadableFile.h"

#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::claudeTask;
using testing::codexTask;
using testing::localTask;

class OpeningTasks : public testing::AppDelegateTest {
protected:
    void SetUp() override {
        harness.orcaInstallation =
            OrcaInstallation{std::nullopt, "/opt/orca/orca", "/opt/orca/resources/bin/orca"};
        launch("[General]\nclaudeIntegrationEnabled=true\n");
    }
    void open(const TaskStatus& task) { delegate->openTask(QVariant::fromValue(task)); }
    TaskStatus orcaTask() const {
        return testing::inOrca(claudeTask(7, "In Orca", LightState::unread, now() - 60), now() - 60);
    }
    LightState shown(const TaskStatus& task) const { return task.visibleState(now(), delegate->readState); }
    const std::vector<testing::RecordingAlerts::Alert>& alerts() const { return harness.alerts->alerts; }
    // A folder in the file's way that cannot be kept aside either: its kept name is taken.
    void blockSaving(const std::filesystem::path& file) const {
        std::filesystem::create_directories(file);
        std::filesystem::create_directories(UnreadableFile::keptPath(file, now()));
    }
};

TEST_F(OpeningTasks, ABlueClaudeTaskOpensItsLinkAndTurnsGreenAtOnce) {
    const auto task = claudeTask(1, "Answer", LightState::unread, now() - 60);
    harness.answerRefresh({task});
    ASSERT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::unread, 1}}));
    delegate->taskMenuRows[0].title->trigger();
    EXPECT_EQ(harness.workspace->openedURLs, QStringList{QString::fromStdString(*task.taskURL())});
    EXPECT_EQ(shown(task), LightState::done);
    EXPECT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::done, 1}}));
    EXPECT_EQ(ClaudeReadState::load(ClaudeReadState::defaultURL(harness.home.path())),
              delegate->readState.claude);
}

TEST_F(OpeningTasks, ALinkNobodyCouldOpenMarksNothingRead) {
    harness.workspace->opensURLs = false;
    const auto task = claudeTask(1, "Answer", LightState::unread, now() - 60);
    open(task);
    EXPECT_EQ(harness.workspace->openedURLs.size(), 1);
    EXPECT_EQ(shown(task), LightState::unread);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(OpeningTasks, OnlyScheduledCodexTasksAreMarkedReadHere) {
    auto plain = codexTask(1, "Unscheduled", LightState::unread, now() - 60);
    plain.isScheduled = false;
    delegate->readState.codex.unread = std::set<std::string>{*plain.codexThreadID()};
    open(plain);
    EXPECT_EQ(harness.workspace->openedURLs.size(), 1);
    EXPECT_EQ(shown(plain), LightState::unread);

    auto scheduled = codexTask(2, "Nightly", LightState::unread, now() - 60);
    scheduled.isScheduled = true;
    open(scheduled);
    EXPECT_EQ(shown(scheduled), LightState::done);
    EXPECT_EQ(CodexAutomationReadState::load(CodexAutomationReadState::defaultURL(harness.home.path())),
              delegate->readState.codexAutomations);
}

TEST_F(OpeningTasks, ChoosingAClaudeCodeTaskFromATerminalMarksItReadInTheClaudeReadState) {
    auto task = claudeTask(1, "From a terminal", LightState::done, now() - 60);
    task.providerSessionID.reset();
    harness.answerRefresh({task});
    ASSERT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::unread, 1}}));
    delegate->taskMenuRows[0].title->trigger();
    EXPECT_EQ(shown(task), LightState::done);
    EXPECT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::done, 1}}));
    EXPECT_EQ(ClaudeReadState::load(ClaudeReadState::defaultURL(harness.home.path())).readAt,
              (std::map<std::string, Date>{{*task.claudeSessionID(), now()}}));
    EXPECT_TRUE(harness.workspace->openedURLs.isEmpty());
    EXPECT_TRUE(alerts().empty());

    task.updatedAt = now() + 30; // a new turn of the same session
    EXPECT_EQ(shown(task), LightState::unread);
}

TEST_F(OpeningTasks, ACodexLinkWithoutAHandlerMarksTheTaskInQuorvelsOwnCodexMarks) {
    harness.workspace->handlers["codex"] = false;
    const auto task = codexTask(1, "Answer", LightState::done, now() - 60);
    harness.answerRefresh({task});
    delegate->taskMenuRows[0].title->trigger();
    EXPECT_EQ(harness.workspace->openedURLs, QStringList{QString::fromStdString(*task.taskURL())});
    EXPECT_EQ(shown(task), LightState::done);
    EXPECT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::done, 1}}));
    EXPECT_EQ(CodexReadMarks::load(CodexReadMarks::defaultURL(harness.home.path())),
              delegate->readState.codexMarks);
    EXPECT_TRUE(delegate->readState.codexAutomations.readAt.empty());
    EXPECT_TRUE(alerts().empty());
}

TEST_F(OpeningTasks, ACodexLinkWithAHandlerOpensAndMarksNothingHere) {
    const auto task = codexTask(1, "Answer", LightState::done, now() - 60);
    open(task);
    EXPECT_EQ(harness.workspace->openedURLs.size(), 1);
    EXPECT_EQ(shown(task), LightState::unread);
    EXPECT_FALSE(std::filesystem::exists(CodexReadMarks::defaultURL(harness.home.path())));
}

TEST_F(OpeningTasks, WhileTheCodexAppsFlagsAreKnownChoosingMarksNothing) {
    harness.workspace->handlers["codex"] = false;
    const auto task = codexTask(1, "Answer", LightState::done, now() - 60);
    delegate->readState.codex.unread = std::set<std::string>{*task.codexThreadID()};
    open(task);
    EXPECT_EQ(shown(task), LightState::unread);
    EXPECT_TRUE(delegate->readState.codexMarks.readAt.empty());
    EXPECT_FALSE(std::filesystem::exists(CodexReadMarks::defaultURL(harness.home.path())));
}

TEST_F(OpeningTasks, ChoosingMarksOnlyWhatShowsUnreadAndNeverALocalRecord) {
    auto working = claudeTask(1, "Working", LightState::working, now() - 60);
    working.providerSessionID.reset();
    open(working);
    open(localTask(2, "Local", LightState::done, now() - 60));
    EXPECT_TRUE(delegate->readState.claude.readAt.empty());
    EXPECT_FALSE(std::filesystem::exists(ClaudeReadState::defaultURL(harness.home.path())));
}

TEST_F(OpeningTasks, AReadMarkThatCannotBeSavedStillCountsUntilTheNextRefresh) {
    const auto file = ClaudeReadState::defaultURL(harness.home.path());
    blockSaving(file);
    const auto task = claudeTask(1, "Answer", LightState::unread, now() - 60);
    open(task);
    EXPECT_EQ(shown(task), LightState::done);
    EXPECT_TRUE(alerts().empty());
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(OpeningTasks, AnUnreadableReadStateIsKeptBesideTheNewOneWhenARowIsChosen) {
    const auto file = ClaudeReadState::defaultURL(harness.home.path());
    ClaudeReadState others;
    for (int i = 0; i < 1000; ++i)
        others.readAt["session-" + std::to_string(i)] = now() - 3600;
    others.save(file, now());
    const std::string damaged = testing::readFile(file) + "}";
    testing::writeFile(file, damaged);

    const auto task = claudeTask(1, "Answer", LightState::done, now() - 60);
    harness.answerRefresh({task});
    delegate->taskMenuRows[0].title->trigger();
    EXPECT_EQ(ClaudeReadState::load(file), delegate->readState.claude);
    EXPECT_EQ(testing::readFile(UnreadableFile::keptPath(file, now())), damaged);
}

TEST_F(OpeningTasks, AnythingButATaskWithADestinationIsIgnored) {
    delegate->openTask(QVariant(QStringLiteral("claude://code/continue?session=local_x")));
    delegate->openTask(QVariant());
    auto noLink = claudeTask(1, "No session", LightState::unread, now());
    noLink.providerSessionID.reset();
    open(noLink);
    EXPECT_TRUE(harness.workspace->openedURLs.isEmpty());
    EXPECT_TRUE(harness.orca->opens.empty());
}

TEST_F(OpeningTasks, LinksReachTheWorkspaceWhole) {
    auto task = claudeTask(1, "Answer", LightState::working, now());
    task.providerSessionID = "local_00000001-0000-4000-8000-d00000000001";
    open(task);
    EXPECT_EQ(harness.workspace->openedURLs,
              QStringList{QStringLiteral(
                  "claude://code/continue?session=local_00000001-0000-4000-8000-d00000000001")});
}

TEST_F(OpeningTasks, AnOrcaTaskRunsTheToolThenBringsOrcaForwardAndIsMarkedRead) {
    const auto task = orcaTask();
    open(task);
    ASSERT_EQ(harness.orca->opens.size(), 1u);
    EXPECT_EQ(harness.orca->opens[0].taskID, task.id);
    EXPECT_EQ(harness.orca->opens[0].tool, std::filesystem::path("/opt/orca/resources/bin/orca"));
    EXPECT_TRUE(delegate->openingOrcaTask);
    EXPECT_TRUE(harness.workspace->openedApplications.empty());
    harness.orca->finish();
    ASSERT_EQ(harness.workspace->openedApplications.size(), 1u);
    EXPECT_EQ(harness.workspace->openedApplications[0], *harness.orcaInstallation);
    EXPECT_FALSE(delegate->openingOrcaTask);
    EXPECT_EQ(shown(task), LightState::done);
    EXPECT_EQ(OrcaReadState::load(OrcaReadState::defaultURL(harness.home.path())), delegate->readState.orca);
    EXPECT_TRUE(alerts().empty());
    EXPECT_TRUE(harness.workspace->openedURLs.isEmpty());
}

TEST_F(OpeningTasks, ChoosingAnOrcaTaskTwiceQuicklyRunsTheToolOnce) {
    open(orcaTask());
    open(orcaTask());
    EXPECT_EQ(harness.orca->opens.size(), 1u);
    harness.orca->finish();
    open(orcaTask());
    EXPECT_EQ(harness.orca->opens.size(), 2u);
}

TEST_F(OpeningTasks, WithOrcaUninstalledOnlyTheAlertShows) {
    harness.orcaInstallation.reset();
    const auto task = orcaTask();
    open(task);
    EXPECT_EQ(alerts(), (testing::Alerts{{"Could not open Orca",
                                          "Orca is not installed or could not be located. This task "
                                          "remains unread.",
                                          AlertStyle::warning}}));
    EXPECT_TRUE(harness.orca->opens.empty());
    EXPECT_TRUE(harness.workspace->openedApplications.empty());
    EXPECT_FALSE(delegate->openingOrcaTask);
}

TEST_F(OpeningTasks, WhenTheToolTimesOutOrcaStillComesForwardBeforeTheAlert) {
    const auto task = orcaTask();
    open(task);
    harness.orca->finish(std::make_exception_ptr(OrcaNavigationError::timedOut()));
    EXPECT_EQ(harness.workspace->openedApplications.size(), 1u);
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0].message, "Could not open the Orca conversation");
    EXPECT_EQ(alerts()[0].informative, QString::fromUtf8(OrcaNavigationError::timedOut().what()) +
                                           " This task remains unread. Select the conversation in Orca.");
    EXPECT_EQ(shown(task), LightState::unread);

    // The alert returned at once; until the user closes it, the Orca road stays taken.
    EXPECT_TRUE(delegate->openingOrcaTask);
    open(task);
    EXPECT_EQ(harness.orca->opens.size(), 1u);
    harness.alerts->dismiss();
    EXPECT_FALSE(delegate->openingOrcaTask);
    open(task);
    EXPECT_EQ(harness.orca->opens.size(), 2u);
}

TEST_F(OpeningTasks, OtherFailuresOfTheToolOrOfOpeningOrcaGiveTheGeneralText) {
    const QString general = QStringLiteral("The original Orca tab could not be opened. This task remains "
                                           "unread. Select the conversation in Orca.");
    open(orcaTask());
    harness.orca->finish(std::make_exception_ptr(std::system_error(ENOENT, std::generic_category())));
    harness.alerts->dismiss();
    harness.workspace->opensApplications = false;
    open(orcaTask());
    harness.orca->finish();
    ASSERT_EQ(alerts().size(), 2u);
    EXPECT_EQ(alerts()[0].informative, general);
    EXPECT_EQ(alerts()[1].informative, general);
    EXPECT_EQ(shown(orcaTask()), LightState::unread);
}

TEST_F(OpeningTasks, AnOrcaReadMarkThatCannotBeSavedIsTold) {
    blockSaving(OrcaReadState::defaultURL(harness.home.path()));
    harness.answerRefresh({});
    open(orcaTask());
    harness.orca->finish();
    EXPECT_EQ(delegate->diagnostic, "Opened Orca, but could not save this task\u2019s read status.");
    EXPECT_EQ(testing::visibleItemTexts(*delegate->menu()).at(2),
              "Opened Orca, but could not save this task\u2019s read status.");
    EXPECT_EQ(shown(orcaTask()), LightState::done);
}

TEST_F(OpeningTasks, AlertsWarnExactlyWhenTheTitleSaysSomethingCouldNotBeDone) {
    delegate->showClaudeResult("Could not install", "m");
    delegate->showClaudeResult("Installed", "<b>m</b>");
    delegate->showClaudeResult("could not (lower case)", "m");
    ASSERT_EQ(alerts().size(), 3u);
    EXPECT_EQ(alerts()[0].style, AlertStyle::warning);
    EXPECT_EQ(alerts()[1].style, AlertStyle::informational);
    EXPECT_EQ(alerts()[1].informative, "<b>m</b>");
    EXPECT_EQ(alerts()[2].style, AlertStyle::informational);
}

} // namespace
} // namespace quorvel
