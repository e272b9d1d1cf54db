#include "App/SettingsKeys.h"
#include "Claude/ClaudeIntegration.h"
#include "Login/LaunchAtLoginError.h"
#include "Platform/SettingsStore.h"
#include "Support/AppHarness.h"
#include "Windows/IntegrationSetupError.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/TextLabel.h"
#include "Windows/ToggleSwitch.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace quorvel {
namespace {

using testing::readFile;
using testing::writeFile;
using Start = testing::HeldRefreshRunner::Start;

constexpr Date now{800'000'000}; // the harness's clock

TaskStatus codexTask(int number) {
    return testing::codexTask(number, "Task", LightState::working, now - 60);
}
TaskStatus claudeTask(int number) {
    return testing::claudeTask(number, "Task", LightState::working, now - 60);
}
TaskStatus localTask(int number) {
    return testing::localTask(number, "Task", LightState::working, now - 60);
}

std::vector<TaskProvider> providers(const std::vector<TaskStatus>& tasks) {
    std::vector<TaskProvider> result;
    for (const auto& each : tasks)
        result.push_back(each.provider());
    return result;
}

void toConnectPage(OnboardingWindowController& onboarding) {
    while (onboarding.journey().step != OnboardingStep::connect) {
        onboarding.goForward();
        onboarding.finishSliding();
    }
}

// The delegate itself (its windows open) over the harness's fakes.
class WindowWiring : public ::testing::Test {
protected:
    AppDelegate& create() {
        delegate = std::make_unique<AppDelegate>(harness.platform());
        refreshes = harness.refresh;
        return *delegate;
    }

    void TearDown() override {
        for (QWidget* window :
             {delegate && delegate->settingsController ? delegate->settingsController->window() : nullptr,
              delegate && delegate->onboardingController ? delegate->onboardingController->window() : nullptr,
              delegate && delegate->integrationSetupController
                  ? delegate->integrationSetupController->window()
                  : nullptr})
            if (window)
                window->close();
    }

    SettingsStore storedSettings() const { return SettingsStore(harness.settingsFile()); }
    std::filesystem::path claudeSettings() const { return ClaudeIntegration::settingsURL(home.path()); }
    std::filesystem::path installedHelper() const {
        return ClaudeIntegration::installedHelperURL(home.path());
    }
    ClaudeIntegrationHealth health() const {
        return ClaudeIntegration::health(claudeSettings(), installedHelper());
    }

    testing::AppHarness harness;
    const testing::TemporaryDirectory& home = harness.home;
    testing::FakeLoginItem& loginItem = harness.loginItem;
    testing::HeldRefreshRunner* refreshes = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(WindowWiring, SavingWithBothProvidersOffFailsAndChangesNothing) {
    harness.writeSettings("[General]\ncodexIntegrationEnabled=true\nclaudeIntegrationEnabled=false\n");
    AppDelegate& app = create();
    app.tasks = {codexTask(1), localTask(2)};
    try {
        app.applyIntegrationSelection(false, false);
        FAIL() << "no error";
    } catch (const IntegrationSetupError& error) {
        EXPECT_EQ(error, IntegrationSetupError::providerRequired());
        EXPECT_STREQ(error.what(), "Choose Codex, Claude Code, or both.");
    }
    EXPECT_TRUE(app.codexEnabled);
    EXPECT_EQ(app.tasks.size(), 2u);
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::codexIntegrationEnabled), true);
    EXPECT_TRUE(refreshes->starts.empty());
    EXPECT_FALSE(std::filesystem::exists(claudeSettings()));
}

TEST_F(WindowWiring, TurningCodexOffDropsItsRowsAtOnceAndTheNextRefreshSkipsCodex) {
    AppDelegate& app = create();
    app.claudeEnabled = false;
    app.tasks = {codexTask(1), localTask(2), codexTask(3), claudeTask(4)};
    writeFile(claudeSettings(), "{}");
    app.applyIntegrationSelection(false, true);
    EXPECT_EQ(providers(app.tasks), (std::vector<TaskProvider>{TaskProvider::local, TaskProvider::claude}));
    ASSERT_EQ(refreshes->starts.size(), 1u);
    EXPECT_EQ(refreshes->starts[0], (Start{false, true}));
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::codexIntegrationEnabled), false);
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::claudeIntegrationEnabled), true);
}

TEST_F(WindowWiring, AnIntegrationChangeDuringARefreshWaitsForItAndDropsItsOutdatedTasks) {
    AppDelegate& app = create();
    app.claudeEnabled = false;
    app.refresh();
    ASSERT_EQ(refreshes->pending.size(), 1u);
    app.tasks = {codexTask(1), localTask(2)};

    app.applyIntegrationSelection(false, true);
    EXPECT_EQ(refreshes->starts.size(), 1u) << "one refresh at a time";
    EXPECT_EQ(providers(app.tasks), std::vector<TaskProvider>{TaskProvider::local});

    // The refresh started before the change still reads Codex: its tasks must not come back.
    refreshes->answer({codexTask(1), localTask(2)});
    EXPECT_EQ(providers(app.tasks), std::vector<TaskProvider>{TaskProvider::local});
    ASSERT_EQ(refreshes->starts.size(), 2u) << "the refresh asked for meanwhile runs now";
    EXPECT_EQ(refreshes->starts[1], (Start{false, true}));

    refreshes->answer({localTask(2), claudeTask(5)});
    EXPECT_EQ(providers(app.tasks), (std::vector<TaskProvider>{TaskProvider::local, TaskProvider::claude}));
    EXPECT_FALSE(app.refreshing);
    EXPECT_EQ(refreshes->starts.size(), 2u);
}

TEST_F(WindowWiring, ARefreshWithTheCurrentChoiceIsAppliedAsBefore) {
    AppDelegate& app = create();
    app.refresh();
    app.refresh();
    EXPECT_EQ(refreshes->starts.size(), 1u) << "timer ticks during a refresh are still dropped";
    refreshes->answer({codexTask(1), claudeTask(2)});
    EXPECT_EQ(app.tasks.size(), 2u);
    EXPECT_EQ(refreshes->starts.size(), 1u);
}

TEST_F(WindowWiring, TurningClaudeOffWhileItsHooksNeedRepairRemovesThemThoughItWasOff) {
    const std::string command = ClaudeIntegration::command(installedHelper());
    const nlohmann::json partial = {
        {"hooks", {{"Stop", {{{"matcher", ""}, {"hooks", {{{"type", "command"}, {"command", command}}}}}}}}},
        {"model", "opus"}};
    writeFile(claudeSettings(), partial.dump());
    AppDelegate& app = create();
    app.claudeEnabled = false;
    ASSERT_EQ(health(), ClaudeIntegrationHealth::needsRepair);
    app.applyIntegrationSelection(true, false);
    EXPECT_EQ(health(), ClaudeIntegrationHealth::disabled);
    EXPECT_EQ(nlohmann::json::parse(readFile(claudeSettings())), (nlohmann::json{{"model", "opus"}}));
    EXPECT_EQ(app.claudeHealth, ClaudeIntegrationHealth::disabled);
}

TEST_F(WindowWiring, WithClaudeOffAndNoHooksNothingTouchesClaudesSettings) {
    writeFile(claudeSettings(), "{ \"model\" : \"opus\" }");
    AppDelegate& app = create();
    app.claudeEnabled = false;
    app.applyIntegrationSelection(true, false);
    EXPECT_EQ(readFile(claudeSettings()), "{ \"model\" : \"opus\" }");
    EXPECT_FALSE(std::filesystem::exists(ClaudeIntegration::backupURL(claudeSettings())));
}

TEST_F(WindowWiring, AFailedInstallLeavesTheChoiceTheStoredKeysAndTheTasks) {
    writeFile(claudeSettings(), "{ not json");
    AppDelegate& app = create();
    app.claudeEnabled = false;
    app.tasks = {codexTask(1)};
    EXPECT_ANY_THROW(app.applyIntegrationSelection(false, true));
    EXPECT_TRUE(app.codexEnabled);
    EXPECT_FALSE(app.claudeEnabled);
    EXPECT_EQ(app.tasks.size(), 1u);
    EXPECT_FALSE(storedSettings().boolean(SettingsKeys::codexIntegrationEnabled));
    EXPECT_EQ(readFile(claudeSettings()), "{ not json");
}

// The installer's record and parse errors have no words for a user: the windows give their own.
TEST_F(WindowWiring, AClaudeSettingsFileThatCannotBeChangedIsExplainedInWords) {
    harness.writeSettings("[General]\nclaudeIntegrationEnabled=false\n");
    writeFile(home / "dotfiles/settings.json", "{}");
    std::filesystem::create_directories(claudeSettings().parent_path());
    std::filesystem::create_symlink(home / "dotfiles/settings.json", claudeSettings());
    AppDelegate& app = create();
    app.showSettings();
    SettingsWindowController& settings = *app.settingsController;
    settings.claudeSwitch()->click();
    EXPECT_FALSE(settings.claudeSwitch()->isChecked());
    EXPECT_FALSE(settings.integrationError()->isHidden());
    EXPECT_EQ(
        settings.integrationError()->text(),
        QStringLiteral("Quorvel left Claude Code\u2019s settings unchanged because a file or folder it "
                       "must change is a link, belongs to another user, or is not in the expected form."));

    std::filesystem::remove(claudeSettings());
    writeFile(claudeSettings(), "{ not json");
    app.showIntegrationSetup(false);
    app.integrationSetupController->claudeCheckbox()->setChecked(true);
    app.integrationSetupController->saveButton()->click();
    EXPECT_EQ(app.integrationSetupController->errorLabel()->text(),
              QStringLiteral("Claude Code\u2019s settings file ~/.claude/settings.json is not valid JSON, so "
                             "Quorvel left it unchanged."));
    EXPECT_EQ(readFile(claudeSettings()), "{ not json");
}

TEST_F(WindowWiring, TheHelperShipsBesideTheProgramOrInTheInstalledLibraryFolder) {
    testing::TemporaryDirectory prefix;
    const auto bin = prefix / "bin";
    const auto installed = prefix / "lib/quorvel/quorvel-status";
    std::filesystem::create_directories(bin);
    EXPECT_EQ(AppDelegate::bundledQuorvelStatusURL(bin), bin / "quorvel-status") << "build folder";

    writeFile(installed, "#!/bin/sh\n");
    ::chmod(installed.c_str(), 0644);
    EXPECT_EQ(AppDelegate::bundledQuorvelStatusURL(bin), bin / "quorvel-status") << "not executable";
    ::chmod(installed.c_str(), 0755);
    EXPECT_EQ(AppDelegate::bundledQuorvelStatusURL(bin), installed) << "installed layout";

    std::filesystem::remove(installed);
    std::filesystem::create_directories(installed);
    EXPECT_EQ(AppDelegate::bundledQuorvelStatusURL(bin), bin / "quorvel-status") << "a folder of that name";

    // This suite runs from the build folder, where quorvel-status is built beside it.
    AppDelegate& app = create();
    EXPECT_EQ(app.bundledQuorvelStatusURL(),
              std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "quorvel-status");
    EXPECT_TRUE(std::filesystem::equivalent(app.bundledQuorvelStatusURL(), QUORVEL_STATUS_BINARY));
}

// Turning Claude Code on in the settings window and off again, on a home folder with hooks of the user's.
TEST_F(WindowWiring, TheSettingsSwitchInstallsTheHooksBesideTheUsersAndRemovesExactlyOurs) {
    const nlohmann::json own = {
        {"hooks",
         {{"Stop", {{{"matcher", ""}, {"hooks", {{{"type", "command"}, {"command", "notify-send done"}}}}}}},
          {"PreToolUse",
           {{{"matcher", "Bash"}, {"hooks", {{{"type", "command"}, {"command", "audit.sh"}}}}}}}}},
        {"permissions", {{"allow", {"Bash(ls:*)"}}}}};
    writeFile(claudeSettings(), own.dump(2));
    harness.writeSettings("[General]\nclaudeIntegrationEnabled=false\n");
    AppDelegate& app = create();
    app.showSettings();
    SettingsWindowController& settings = *app.settingsController;
    ASSERT_FALSE(settings.claudeSwitch()->isChecked());

    settings.claudeSwitch()->click();
    EXPECT_TRUE(settings.claudeSwitch()->isChecked());
    EXPECT_EQ(settings.integrationStatus()->text(), "Changes saved.");
    EXPECT_TRUE(settings.integrationError()->isHidden());
    EXPECT_EQ(health(), ClaudeIntegrationHealth::enabled);
    EXPECT_TRUE(app.claudeEnabled);
    EXPECT_EQ(readFile(installedHelper()), readFile(QUORVEL_STATUS_BINARY));
    const auto installedSettings = nlohmann::json::parse(readFile(claudeSettings()));
    EXPECT_EQ(installedSettings["hooks"]["Stop"][0], own["hooks"]["Stop"][0])
        << "the user's group comes first";
    EXPECT_EQ(installedSettings["hooks"]["Stop"].size(), 2u);
    EXPECT_EQ(installedSettings["hooks"]["PreToolUse"][0], own["hooks"]["PreToolUse"][0]);
    EXPECT_EQ(installedSettings["permissions"], own["permissions"]);
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::claudeIntegrationEnabled), true);

    settings.claudeSwitch()->click();
    EXPECT_FALSE(settings.claudeSwitch()->isChecked());
    EXPECT_EQ(nlohmann::json::parse(readFile(claudeSettings())), own);
    EXPECT_EQ(health(), ClaudeIntegrationHealth::disabled);
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::claudeIntegrationEnabled), false);
}

// Hooks of ours that lost some events, with the user's own setting beside them.
TEST_F(WindowWiring, TheRepairNoticeNamesAButtonThatReinstallsTheHooks) {
    const nlohmann::json partial = {
        {"hooks",
         {{"Stop",
           {{{"matcher", ""},
             {"hooks",
              {{{"type", "command"}, {"command", ClaudeIntegration::command(installedHelper())}}}}}}}}},
        {"model", "opus"}};
    writeFile(claudeSettings(), partial.dump());
    harness.writeSettings("[General]\nclaudeIntegrationEnabled=true\n");
    AppDelegate& app = create();
    ASSERT_EQ(app.claudeHealth, ClaudeIntegrationHealth::needsRepair);
    app.showSettings();
    SettingsWindowController& settings = *app.settingsController;
    ASSERT_TRUE(settings.integrationStatus()->text().contains("Click Repair"));
    ASSERT_FALSE(settings.repairButton()->isHidden());

    settings.repairButton()->click();
    EXPECT_EQ(health(), ClaudeIntegrationHealth::enabled);
    EXPECT_EQ(app.claudeHealth, ClaudeIntegrationHealth::enabled);
    EXPECT_EQ(nlohmann::json::parse(readFile(claudeSettings()))["model"], "opus");
    EXPECT_TRUE(settings.codexSwitch()->isChecked());
    EXPECT_TRUE(settings.claudeSwitch()->isChecked());
    EXPECT_EQ(settings.integrationStatus()->text(), "Changes saved.");
    EXPECT_TRUE(settings.repairButton()->isHidden());

    app.showSettings();
    EXPECT_TRUE(settings.repairButton()->isHidden()) << "the next showing finds the hooks whole";
}

TEST_F(WindowWiring, EachShowingOfTheSettingsFillsItFromTheDelegate) {
    loginItem.state = LaunchAtLoginState::needsApproval;
    AppDelegate& app = create();
    app.codexEnabled = false;
    app.claudeEnabled = true;
    app.claudeHealth = ClaudeIntegrationHealth::needsRepair;
    app.showSettings();
    SettingsWindowController* settings = app.settingsController.get();
    EXPECT_FALSE(settings->codexSwitch()->isChecked());
    EXPECT_TRUE(settings->claudeSwitch()->isChecked());
    EXPECT_EQ(settings->integrationStatus()->text(),
              "Claude Code needs repair. Click Repair to reinstall the Quorvel hooks.");
    EXPECT_EQ(settings->launchStatus()->text(),
              "Your desktop needs your approval before Quorvel can open at login.");
    EXPECT_EQ(settings->shortcutKeys()->text(), "Not available") << "no shortcut was registered";
    EXPECT_FALSE(settings->loginItemsButton()->isHidden());
    settings->loginItemsButton()->click();
    EXPECT_EQ(loginItem.settingsOpened, 1);
    EXPECT_TRUE(settings->window()->isVisible());

    loginItem.state = LaunchAtLoginState::enabled;
    app.claudeHealth = ClaudeIntegrationHealth::enabled;
    app.globalMenuShortcutAvailable = true;
    app.showSettings();
    EXPECT_EQ(settings->shortcutKeys()->text(), "Alt+Super+L");
    EXPECT_EQ(app.settingsController.get(), settings) << "one window for the life of the delegate";
    EXPECT_TRUE(settings->launchSwitch()->isChecked());
    EXPECT_TRUE(settings->loginItemsButton()->isHidden());
    EXPECT_EQ(settings->integrationStatus()->text(), "At least one integration must stay connected.");
}

TEST_F(WindowWiring, TheSettingsLaunchSwitchAndUpdateButtonReachTheLoginItemAndTheUpdater) {
    AppDelegate& app = create();
    app.showSettings();
    app.settingsController->launchSwitch()->click();
    EXPECT_EQ(loginItem.registrations, 1);
    EXPECT_EQ(loginItem.state, LaunchAtLoginState::enabled);
    EXPECT_EQ(app.settingsController->launchStatus()->text(), "Launch at Login updated.");

    app.settingsController->updateButton()->click();
    ASSERT_EQ(harness.alerts->alerts.size(), 1u) << "this build has no update feed, and says so";
    EXPECT_EQ(harness.alerts->alerts[0].informative, "This build of Quorvel does not check for updates.");
}

TEST_F(WindowWiring, TheFirstOnboardingPresetsLaunchAtLoginALaterOneFollowsTheLoginItem) {
    struct Case {
        const char* settings;
        LaunchAtLoginState state;
        bool preset;
    };
    for (const Case& each :
         {Case{"", LaunchAtLoginState::disabled, true},
          Case{"integrationOnboardingVersion=0\n", LaunchAtLoginState::disabled, true},
          Case{"integrationOnboardingVersion=1\n", LaunchAtLoginState::disabled, false},
          Case{"integrationOnboardingVersion=3\n", LaunchAtLoginState::disabled, false},
          Case{"integrationOnboardingVersion=3\n", LaunchAtLoginState::enabled, true},
          Case{"integrationOnboardingVersion=2\n", LaunchAtLoginState::needsApproval, false}}) {
        harness.writeSettings(std::string("[General]\n") + each.settings);
        loginItem.state = each.state;
        AppDelegate& app = create();
        app.codexEnabled = false;
        app.claudeEnabled = true;
        app.showOnboarding();
        EXPECT_EQ(app.onboardingController->launchAtLogin(), each.preset) << each.settings;
        EXPECT_FALSE(app.onboardingController->codex());
        EXPECT_TRUE(app.onboardingController->claude());
        EXPECT_EQ(app.onboardingController->journey(), OnboardingJourney{});
        app.onboardingController->window()->close();
    }
}

TEST_F(WindowWiring, TheOnboardingAppliesTheChoiceAndItsFinishRecordsTheVersion) {
    AppDelegate& app = create();
    app.showOnboarding();
    OnboardingWindowController& onboarding = *app.onboardingController;
    toConnectPage(onboarding);
    onboarding.codexCheckbox()->setChecked(true);
    onboarding.claudeCheckbox()->setChecked(false);
    onboarding.goForward();
    onboarding.finishSliding();
    EXPECT_EQ(onboarding.journey().step, OnboardingStep::ready);
    EXPECT_EQ(loginItem.state, LaunchAtLoginState::enabled);
    EXPECT_FALSE(app.claudeEnabled);
    EXPECT_FALSE(storedSettings().integer(SettingsKeys::integrationOnboardingVersion));

    onboarding.goForward();
    EXPECT_EQ(storedSettings().integer(SettingsKeys::integrationOnboardingVersion), 4);
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::integrationSetupCompleted), true);
    EXPECT_FALSE(onboarding.window()->isVisible());
}

TEST_F(WindowWiring, TheOnboardingStopsAtTheFirstErrorAndShowsIt) {
    loginItem.approvalNeeded = true;
    AppDelegate& app = create();
    app.showOnboarding();
    OnboardingWindowController& onboarding = *app.onboardingController;
    toConnectPage(onboarding);
    onboarding.claudeCheckbox()->setChecked(false);
    onboarding.goForward();
    EXPECT_EQ(onboarding.journey().step, OnboardingStep::connect);
    EXPECT_EQ(onboarding.errorLabel()->text(), QString::fromUtf8(LaunchAtLoginError::needsApproval().what()));
    EXPECT_FALSE(onboarding.loginItemsButton()->isHidden());
    onboarding.loginItemsButton()->click();
    EXPECT_EQ(loginItem.settingsOpened, 1);
    EXPECT_FALSE(app.claudeEnabled) << "the integration choice was applied before the login item failed";

    onboarding.codexCheckbox()->setChecked(false);
    onboarding.goForward();
    EXPECT_EQ(onboarding.errorLabel()->text(), "Choose Codex, Claude Code, or both.");
    EXPECT_EQ(loginItem.registrations, 1) << "nothing after the failed integration step runs";
}

TEST_F(WindowWiring, ManagingIntegrationsOpensTheLaterWordingAndItsSaveAppliesEverything) {
    loginItem.state = LaunchAtLoginState::enabled;
    AppDelegate& app = create();
    app.manageIntegrations();
    IntegrationSetupWindowController& setup = *app.integrationSetupController;
    EXPECT_FALSE(setup.firstRun());
    EXPECT_EQ(setup.saveButton()->text(), "Save changes");
    EXPECT_TRUE(setup.launchAtLoginCheckbox()->isChecked());

    setup.claudeCheckbox()->setChecked(false);
    setup.launchAtLoginCheckbox()->setChecked(false);
    setup.saveButton()->click();
    EXPECT_FALSE(setup.window()->isVisible());
    EXPECT_FALSE(app.claudeEnabled);
    EXPECT_EQ(loginItem.state, LaunchAtLoginState::disabled);
    EXPECT_FALSE(storedSettings().integer(SettingsKeys::integrationOnboardingVersion))
        << "only a first-run save completes the onboarding";
}

TEST_F(WindowWiring, AFirstRunSetupCompletesTheOnboardingOnlyWhenEverythingSucceeded) {
    AppDelegate& app = create();
    loginItem.approvalNeeded = true;
    EXPECT_THROW(app.applySetupSelection(true, false, true, true), LaunchAtLoginError);
    EXPECT_FALSE(storedSettings().integer(SettingsKeys::integrationOnboardingVersion));

    loginItem.approvalNeeded = false;
    loginItem.state = LaunchAtLoginState::disabled;
    app.applySetupSelection(true, false, false, true);
    EXPECT_EQ(storedSettings().integer(SettingsKeys::integrationOnboardingVersion), 4);
    EXPECT_EQ(storedSettings().boolean(SettingsKeys::integrationSetupCompleted), true);

    app.showIntegrationSetup(true);
    EXPECT_TRUE(app.integrationSetupController->launchAtLoginCheckbox()->isChecked())
        << "first run presets it on";
    EXPECT_EQ(app.integrationSetupController->saveButton()->text(), "Connect and start");
}

} // namespace
} // namespace quorvel
