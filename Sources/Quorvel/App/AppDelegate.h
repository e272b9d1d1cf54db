#pragma once

#include "App/AppPlatform.h"
#include "App/LampIcon.h"
#include "App/TaskMenuRow.h"
#include "Claude/ClaudeIntegrationHealth.h"
#include "Model/ActivityWindow.h"
#include "Model/MenuBarStatus.h"
#include "Model/StatusSound.h"
#include "Model/TaskReadState.h"
#include "Model/TaskStatus.h"
#include "Refresh/RefreshSnapshot.h"
#include "Windows/FeedbackWindowController.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QIcon;
class QMenu;
class QTimer;

namespace quorvel {

class GlobalMenuShortcut;
class IntegrationSetupWindowController;
class OnboardingWindowController;
class ResourceBundle;
class SettingsWindowController;
class SoftwareUpdater;
class TaskMenu;
class TaskMenuStyle;
class MenuIcons;

// The application: the tray item and its lamps, the refresh every three seconds, the task menu, sounds,
// opening tasks, the global shortcut, and the windows. Lives for the whole process, on the main thread.
//
// The work is split by concern over AppDelegate*.cpp: start-up and settings (AppDelegate.cpp), refresh,
// status item, menu, opening tasks, sounds, and the windows (AppDelegateWindows.cpp).
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static constexpr int animationInterval = 80; // ms
    static constexpr int refreshInterval = 3000; // ms
    static constexpr int visibleRowLimit = 30;
    static constexpr int titleLength = 90; // characters of a task name in its row
    static constexpr const char* claudeDesktopIdentifier = "com.anthropic.claudefordesktop";

    explicit AppDelegate(AppPlatform platform);
    ~AppDelegate() override;

    // Start-up, in the order the application needs; shut-down.
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void quit();

    // Refresh.
    void refresh();
    void applyRefreshSnapshot(RefreshSnapshot snapshot);
    void markFocusedClaudeCompletionRead();

    // Status item and lamps.
    void redraw();
    void renderStatusButton();
    // The 81 x 21 point image of the four lamps in a row.
    QImage horizontalLamplinesIcon(qreal devicePixelRatio = 1) const;
    // The same lamps 2 x 2 at every size a tray asks for.
    QIcon trayIcon() const;
    QString statusSummary() const;
    void advanceLampAnimation();
    void systemAppearanceDidChange();
    // Tells the user, once, when no tray shows the icon.
    void tellWhenNoTray();

    // Task menu.
    std::vector<TaskStatus> visibleRows(Date now) const;
    void updateTaskMenuRows(const std::vector<TaskStatus>& rows, Date now);
    QIcon taskSourceIcons(TaskProvider provider, bool isOrcaTask, LightState state) const;
    // The 42 x 18 image of a row: provider mark and state icon, with its accessibility description.
    QImage taskSourceImage(TaskProvider provider, bool isOrcaTask, LightState state) const;
    QImage icon(LightState state) const;
    QImage providerIcon(TaskProvider provider, bool subdued) const;
    void addUpdateMenuItem(QMenu* menu);
    void refreshUpdateMenuItem();
    QString appVersionDescription() const;
    void changeActivityWindow(const QVariant& representedObject);
    void toggleSounds();
    void menuWillOpen();
    void menuDidClose();
    void showAvailableUpdate();
    void updaterDidFindValidUpdate(const QString& displayVersion);
    void updaterDidNotFindUpdate();
    void showMenuFromShortcut();
    // A second start asks the running copy to show itself: the menu where it can be placed, else Settings.
    void showFromSecondStart();
    // Pops the menu up at the pointer (a left click on an XEmbed tray icon, the shortcut).
    void showMenuAtPointer();

    // Opening tasks.
    void openTask(const QVariant& representedObject);
    // Whether choosing the task's row marks it read here: it shows unread, Quorvel keeps its read mark,
    // and nothing on this computer opens it.
    bool marksReadWhenChosen(const TaskStatus& task, LightState visibleState);
    void openOrcaTask(const TaskStatus& task);
    // A modal alert; it returns at once, and `dismissed` runs when the user has closed the alert.
    void showClaudeResult(const QString& title, const QString& message, std::function<void()> dismissed = {});

    // Sounds.
    void playSoundsForTransitions(Date now);
    void playSound(StatusSound sound);

    // Windows (filled in by the windows and issue-report code).
    virtual void showSettings();
    virtual void showFeedback();
    virtual void showOnboarding();
    virtual void manageIntegrations();
    void showIntegrationSetup(bool firstRun);
    // Installs or removes the Claude Code hooks, stores the choice, drops the rows of a provider turned
    // off and refreshes. Throws IntegrationSetupError::providerRequired when both are off, or the
    // installer's error; either leaves everything as it was.
    void applyIntegrationSelection(bool codex, bool claude);
    void applySetupSelection(bool codex, bool claude, bool launchAtLogin, bool completesOnboarding);
    // The quorvel-status that ships with the program: ../lib/quorvel/quorvel-status from the program's
    // folder when it is executable (installed), otherwise the one beside the program (build folder).
    std::filesystem::path bundledQuorvelStatusURL() const;
    static std::filesystem::path bundledQuorvelStatusURL(const std::filesystem::path& programFolder);
    // Sends a report from the issue-report window to the configured support service.
    void submitIssueReport(const QString& provider, const QString& details,
                           const PreparedFeedbackScreenshot& screenshot, BugReportCompletion done);
    // submitIssueReport for the window, holding the delegate weakly: once the delegate is gone it fails.
    FeedbackWindowController::SubmitReport issueReportSubmitter();

    // Icons and resources.
    const ResourceBundle& resourceBundle() const;
    const std::optional<QImage>& orcaAppIcon() const;

    GlobalMenuShortcut& globalMenuShortcut();
    SoftwareUpdater& updaterController();
    AppPlatform& platform() { return platform_; }
    QMenu* menu() const;

    // State, in the order of the delegate's table. Main thread only.
    std::unique_ptr<StatusItem> item;
    QTimer* timer = nullptr;
    bool refreshing = false;
    bool openingOrcaTask = false;
    QTimer* animationTimer = nullptr;
    std::vector<MenuBarStatus> menuBarStatuses{MenuBarStatus{LightState::unknown, 0}};
    double amberPulsePhase = 0;
    double redPulsePhase = 0;
    double bluePulsePhase = 0;
    std::vector<TaskStatus> tasks;
    std::optional<std::string> diagnostic;
    ActivityWindow activityWindow = ActivityWindow::day;
    TaskReadState readState;
    ClaudeIntegrationHealth claudeHealth = ClaudeIntegrationHealth::disabled;
    bool globalMenuShortcutAvailable = false;
    LaunchAtLoginManager& launchAtLogin;
    std::vector<WorkingMenuRow> workingMenuItems;
    std::vector<TaskMenuRow> taskMenuRows;
    QAction* emptyStateMenuItem = nullptr;
    bool menuIsOpen = false;
    std::optional<std::map<std::string, LightState>> previousVisibleStates;
    std::optional<StatusSound> playingSound;
    bool soundsEnabled = true;
    std::optional<QString> availableUpdateVersion;
    QAction* updateMenuItem = nullptr;
    bool codexEnabled = true;
    bool claudeEnabled = true;
    std::unique_ptr<SettingsWindowController> settingsController;
    std::unique_ptr<OnboardingWindowController> onboardingController;
    std::unique_ptr<IntegrationSetupWindowController> integrationSetupController;
    std::unique_ptr<FeedbackWindowController> feedbackController;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readSettings();
    void removeObsoleteSettings();
    void startTimers();
    QTimer* startRepeating(int interval, void (AppDelegate::*tick)());
    void applyOrcaReadState();
    // Whether a lamp of menuBarStatuses pulses (working, waiting, failed or unread).
    bool lampsPulse() const;
    // Starts the animation timer while a lamp pulses and stops it while none does.
    void updateAnimationTimer();
    void buildMenu();
    void updateMenuCommands();
    void addTaskMenuRows(QMenu* menu);
    void addActivityWindowMenu(TaskMenu* menu);
    void addSettingsItems(TaskMenu* menu);
    void fillTaskMenuRow(TaskMenuRow& row, const TaskStatus& task, Date now);
    void fillTaskMenuRowTexts(TaskMenuRow& row, const RowContentKey& content);
    void animateWorkingRows();
    QIcon updateMenuItemIcon() const;
    // The row image around a state icon drawn already.
    QImage taskSourceImage(TaskProvider provider, bool isOrcaTask, LightState state,
                           const QImage& stateIcon) const;
    // A blank row image, so that the detail text lines up with the title; an Orca row's ends with the
    // provider mark.
    QIcon detailIcon(const TaskStatus& task) const;
    void openDesktopLink(const TaskStatus& task, const std::string& url);
    void markOpenedTaskRead(const TaskStatus& task);
    void markTaskRead(const TaskStatus& task);
    void finishOrcaOpen(const TaskStatus& task, std::exception_ptr navigationError, bool appOpened);
    void showOrcaFailure(std::exception_ptr error);
    std::map<std::string, LightState> currentVisibleStates(Date now) const;
    // A refresh now, or as soon as the running one ends.
    void requestRefresh();
    void finishRefresh(RefreshSnapshot snapshot, bool codexRead, bool claudeRead);
    // What the windows' closures do.
    void applyOnboardingSelection(bool codex, bool claude, bool launch);
    void setLaunchAtLogin(bool enabled);
    void openLoginItems();
    void checkForUpdates();
    void finishOnboarding();
    void storeOnboardingCompleted();

    AppPlatform platform_;
    std::unique_ptr<GlobalMenuShortcut> globalMenuShortcut_;
    std::unique_ptr<SoftwareUpdater> updaterController_;
    std::unique_ptr<MenuIcons> icons_;
    std::unique_ptr<TaskMenuStyle> menuStyle_;
    std::unique_ptr<TaskMenu> menu_;
    QAction* diagnosticMenuItem_ = nullptr;
    QActionGroup* activityWindowChoices_ = nullptr;
    QAction* playSoundsItem_ = nullptr;
    mutable std::optional<std::optional<QImage>> orcaAppIcon_;
    // What the tray item was last given.
    std::optional<LampIcon> shownLamps_;
    QString shownToolTip_;
    QString shownAccessibilityLabel_;
    bool appearanceChangePending_ = false;
    bool refreshRequested_ = false;
};

} // namespace quorvel
