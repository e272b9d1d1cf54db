#pragma once

#include "App/AppDelegate.h"
#include "Fakes/FakeHotKeyBackend.h"
#include "Fakes/FakeLoginItem.h"
#include "Fakes/FakeSoundPlayer.h"
#include "Fakes/FakeStatusItem.h"
#include "Fakes/FixedFrontmostApplication.h"
#include "Fakes/HeldOrcaOpenRunner.h"
#include "Fakes/HeldRefreshRunner.h"
#include "Fakes/ManualClock.h"
#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingNotifier.h"
#include "Fakes/RecordingWorkspace.h"
#include "TestSupport.h"

#include <memory>
#include <string_view>

namespace quorvel::testing {

// The delegate with the window entry points counted instead of opening windows.
class RecordingAppDelegate : public AppDelegate {
public:
    using AppDelegate::AppDelegate;

    void showSettings() override { ++settingsShown; }
    void showFeedback() override { ++feedbackShown; }
    void showOnboarding() override { ++onboardingShown; }
    void manageIntegrations() override { ++integrationsShown; }

    int settingsShown = 0;
    int feedbackShown = 0;
    int onboardingShown = 0;
    int integrationsShown = 0;
};

// An application delegate over fakes, in a temporary home folder with its own settings file. The
// fakes stay reachable through the pointers below for the life of the harness (the login item is the
// harness's own).
class AppHarness {
public:
    AppHarness();
    ~AppHarness();

    // Before create(): the settings file's text, and what the desktop offers.
    void writeSettings(std::string_view iniText);
    bool grantsHotKey = true;
    bool trayExportsMenu = false; // the tray is a StatusNotifierItem whose host shows the menu
    bool trayAvailable = true;
    std::optional<QPoint> menuPlace = QPoint(200, 150); // none: no menu can be placed
    std::optional<OrcaInstallation> orcaInstallation;

    // The fakes for a delegate of the test's own (the pointers below then point into it).
    AppPlatform platform();
    RecordingAppDelegate& create();
    // create() and the start-up; the first refresh is then held by `refresh`.
    RecordingAppDelegate& launch();
    // Answers the held refresh with these tasks (and the read state the delegate has).
    void answerRefresh(std::vector<TaskStatus> tasks, std::optional<std::string> diagnostic = std::nullopt);
    // A refresh started and answered at once.
    void refreshWith(std::vector<TaskStatus> tasks, std::optional<std::string> diagnostic = std::nullopt);

    std::filesystem::path supportFolder() const;
    QString settingsFile() const;

    TemporaryDirectory home;
    ScopedEnvironmentVariable homeVariable;
    ScopedEnvironmentVariable configVariable;
    FakeLoginItem loginItem;
    ManualClock* clock = nullptr;
    RecordingWorkspace* workspace = nullptr;
    RecordingAlerts* alerts = nullptr;
    RecordingNotifier* notifier = nullptr;
    FixedFrontmostApplication* frontmost = nullptr;
    FakeSoundPlayer* sounds = nullptr;
    HeldRefreshRunner* refresh = nullptr;
    HeldOrcaOpenRunner* orca = nullptr;
    FakeStatusItem* item = nullptr;
    FakeHotKeyBackend* hotKeys = nullptr;
    int orcaLookups = 0;
    std::unique_ptr<RecordingAppDelegate> delegate;
};

// Tasks of each provider, named and dated as given; ids are made from `number`.
TaskStatus claudeTask(int number, std::string_view name, LightState state, Date updatedAt);
TaskStatus codexTask(int number, std::string_view name, LightState state, Date updatedAt);
TaskStatus localTask(int number, std::string_view name, LightState state, Date updatedAt);
// The task running in an Orca pane.
TaskStatus inOrca(TaskStatus task, Date observedAt);

// The texts of a menu's items in order, submenus as "title>" and separators as "---"; hidden items are
// left out.
QStringList visibleItemTexts(const QMenu& menu);

} // namespace quorvel::testing
