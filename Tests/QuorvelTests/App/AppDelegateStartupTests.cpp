#include "App/GlobalMenuShortcut.h"
#include "Claude/ClaudeIntegration.h"
#include "Platform/SettingsStore.h"
#include "Support/AppHarness.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/TextLabel.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTimer>
#include <ctime>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::AppHarness;

// Claude Code's settings in the temporary home with the hooks installed for the helper.
void installClaudeHooks(const AppHarness& harness) {
    const auto helper = ClaudeIntegration::installedHelperURL(harness.home.path());
    testing::writeFile(helper, "#!/bin/sh\n");
    std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
    testing::writeFile(ClaudeIntegration::settingsURL(harness.home.path()),
                       ClaudeIntegration::addingHooks("{}", ClaudeIntegration::command(helper)));
}

TEST(AppDelegateSettings, AFirstLaunchShowsTheLastDayPlaysSoundsEnablesCodexAndOpensTheOnboarding) {
    AppHarness harness;
    auto& delegate = harness.launch();
    EXPECT_EQ(delegate.activityWindow, ActivityWindow::day);
    EXPECT_TRUE(delegate.soundsEnabled);
    EXPECT_TRUE(delegate.codexEnabled);
    EXPECT_FALSE(delegate.claudeEnabled); // no hooks installed
    EXPECT_EQ(delegate.claudeHealth, ClaudeIntegrationHealth::disabled);
    EXPECT_EQ(delegate.onboardingShown, 1);
}

TEST(AppDelegateStartup, RemovesWhatAKilledSaveLeftAndNothingElse) {
    AppHarness harness;
    const auto abandoned = harness.supportFolder() / ".orca-state.json.k1LLed";
    const auto unrelated = harness.supportFolder() / "notes.json";
    testing::writeFile(abandoned, "{\"partial");
    testing::writeFile(unrelated, "{}");
    auto& delegate = harness.create();
    harness.clock->current = Date::fromUnix(static_cast<double>(std::time(nullptr)) + 120);
    delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
}

TEST(AppDelegateSettings, ClaudeCodeIsOnByDefaultWhenItsHooksAreInstalledOrNeedRepair) {
    AppHarness installed;
    installClaudeHooks(installed);
    EXPECT_TRUE(installed.create().claudeEnabled);
    EXPECT_EQ(installed.delegate->claudeHealth, ClaudeIntegrationHealth::enabled);

    AppHarness broken;
    testing::writeFile(ClaudeIntegration::settingsURL(broken.home.path()), "{ not json");
    EXPECT_TRUE(broken.create().claudeEnabled);
    EXPECT_EQ(broken.delegate->claudeHealth, ClaudeIntegrationHealth::needsRepair);

    AppHarness storedOff;
    installClaudeHooks(storedOff);
    storedOff.writeSettings("[General]\nclaudeIntegrationEnabled=false\n");
    EXPECT_FALSE(storedOff.create().claudeEnabled);
}

TEST(AppDelegateSettings, StoredValuesCountOnlyWhenTheyHaveTheRightType) {
    AppHarness harness;
    harness.writeSettings("[General]\nactivityWindowHours=3\nsoundsEnabled=no\ncodexIntegrationEnabled=0\n"
                          "claudeIntegrationEnabled=1\n");
    auto& delegate = harness.create();
    EXPECT_EQ(delegate.activityWindow, ActivityWindow::day); // 3 is no window of its own
    EXPECT_TRUE(delegate.soundsEnabled);                     // text, not a Boolean
    EXPECT_TRUE(delegate.codexEnabled);
    EXPECT_FALSE(delegate.claudeEnabled); // falls back to the (disabled) hooks
}

TEST(AppDelegateSettings, StoredHoursMapToTheirWindows) {
    const std::pair<const char*, ActivityWindow> cases[] = {
        {"1", ActivityWindow::hour}, {"2", ActivityWindow::twoHours}, {"4", ActivityWindow::fourHours},
        {"24", ActivityWindow::day}, {"0", ActivityWindow::day},      {"5", ActivityWindow::day},
        {"-2", ActivityWindow::day}, {"four", ActivityWindow::day},
    };
    for (const auto& [stored, window] : cases) {
        AppHarness harness;
        harness.writeSettings(std::string("[General]\nactivityWindowHours=") + stored + "\n");
        EXPECT_EQ(harness.create().activityWindow, window) << stored;
    }
}

TEST(AppDelegateSettings, StoredBooleansAreTaken) {
    AppHarness harness;
    harness.writeSettings("[General]\nsoundsEnabled=false\ncodexIntegrationEnabled=false\n"
                          "claudeIntegrationEnabled=true\n");
    auto& delegate = harness.create();
    EXPECT_FALSE(delegate.soundsEnabled);
    EXPECT_FALSE(delegate.codexEnabled);
    EXPECT_TRUE(delegate.claudeEnabled);
}

TEST(AppDelegateSettings, ASettingsFileThatIsNotSettingsGivesTheDefaults) {
    AppHarness garbage;
    garbage.writeSettings(std::string("\x00\xff[[[\n=\nsoundsEnabled\n", 20));
    auto& delegate = garbage.launch();
    EXPECT_TRUE(delegate.soundsEnabled);
    EXPECT_EQ(delegate.activityWindow, ActivityWindow::day);
    EXPECT_EQ(delegate.onboardingShown, 1);

    AppHarness folder; // the settings path is a folder: nothing can be read or written
    std::filesystem::create_directories(folder.settingsFile().toStdString());
    auto& stillRuns = folder.launch();
    stillRuns.toggleSounds();
    EXPECT_FALSE(stillRuns.soundsEnabled);
}

TEST(AppDelegateStartup, TheOnboardingOpensUpToVersionThree) {
    for (const auto& [stored, opens] :
         {std::pair{"3", 1}, std::pair{"4", 0}, std::pair{"9", 0}, std::pair{"-1", 1}, std::pair{"x", 1}}) {
        AppHarness harness;
        harness.writeSettings(std::string("[General]\nintegrationOnboardingVersion=") + stored + "\n");
        EXPECT_EQ(harness.launch().onboardingShown, opens) << stored;
    }
}

TEST(AppDelegateStartup, ObsoleteSettingsAreRemovedAndTheOthersKept) {
    AppHarness harness;
    harness.writeSettings(
        "[General]\nusageTelemetry=true\nusageTelemetryWriteKey=k\nshareAnonymousUsage=true\n"
        "pendingUsageDeletions=1\nusageDeletionPendingIDs=a\nsoundsEnabled=false\n");
    harness.launch();
    SettingsStore stored(harness.settingsFile());
    for (const char* key : {"usageTelemetry", "usageTelemetryWriteKey", "shareAnonymousUsage",
                            "pendingUsageDeletions", "usageDeletionPendingIDs"})
        EXPECT_FALSE(stored.object(QString::fromLatin1(key)).isValid()) << key;
    EXPECT_EQ(stored.boolean("soundsEnabled"), false);
}

TEST(AppDelegateStartup, TheFirstRefreshRunsBeforeTheTimersTickAndFillsTheMenu) {
    AppHarness harness;
    harness.writeSettings("[General]\ncodexIntegrationEnabled=false\nclaudeIntegrationEnabled=true\n");
    auto& delegate = harness.launch();
    ASSERT_EQ(harness.refresh->starts.size(), 1u);
    EXPECT_FALSE(harness.refresh->starts[0].codexEnabled);
    EXPECT_TRUE(harness.refresh->starts[0].claudeEnabled);
    ASSERT_TRUE(delegate.timer && delegate.animationTimer);
    EXPECT_EQ(delegate.timer->interval(), 3000);
    EXPECT_EQ(delegate.animationTimer->interval(), 80);
    EXPECT_TRUE(delegate.timer->isActive());
    EXPECT_FALSE(delegate.animationTimer->isActive()); // no lamp pulses yet

    harness.answerRefresh({testing::claudeTask(1, "Fix", LightState::waiting, harness.clock->current)});
    ASSERT_TRUE(harness.item && harness.item->menu);
    EXPECT_TRUE(delegate.taskMenuRows.at(0).title->isVisible());
    EXPECT_EQ(delegate.taskMenuRows.at(0).title->text(), "Fix");
    EXPECT_EQ(harness.item->menu, delegate.menu());
}

TEST(AppDelegateStartup, TheShortcutIsRegisteredAtStartAndReleasedAtShutDown) {
    AppHarness harness;
    auto& delegate = harness.launch();
    EXPECT_TRUE(delegate.globalMenuShortcutAvailable);
    EXPECT_TRUE(harness.item->toolTip.endsWith(". Press Alt+Super+L to open."));
    delegate.applicationWillTerminate();
    EXPECT_FALSE(delegate.globalMenuShortcut().hasHotKey());
    EXPECT_FALSE(delegate.globalMenuShortcut().hasHandler());
    EXPECT_EQ(harness.hotKeys->unregistered(), 1);
    EXPECT_FALSE(harness.hotKeys->hasHandler());
}

// As in every Wayland session: no window promises the shortcut, and the tooltip says where the icon is kept
// and how to open the menu with a key of the user's own.
TEST(AppDelegateStartup, AShortcutThatCannotBeGrabbedIsPromisedNowhere) {
    AppHarness harness;
    harness.grantsHotKey = false;
    auto& delegate = harness.launch();
    EXPECT_FALSE(delegate.globalMenuShortcutAvailable);
    EXPECT_FALSE(harness.hotKeys->hasHandler());
    EXPECT_TRUE(harness.item->toolTip.endsWith(
        ". If the panel is crowded, set the tray to always show this icon. To open Quorvel with a key, bind "
        "one to the command \u201cquorvel\u201d in your desktop\u2019s keyboard settings."));

    delegate.AppDelegate::showOnboarding();
    EXPECT_FALSE(delegate.onboardingController->shortcutAvailable());
    delegate.AppDelegate::showSettings();
    EXPECT_EQ(delegate.settingsController->shortcutKeys()->text(), "Not available");
    for (QWidget* window : {delegate.onboardingController->window(), delegate.settingsController->window()})
        window->close();
    QCoreApplication::processEvents(); // the windows' deactivation, before the next test opens a menu
}

} // namespace
} // namespace quorvel
