#include "App/AppDelegate.h"
#include "App/SettingsKeys.h"
#include "App/SoftwareUpdater.h"
#include "Claude/ClaudeIntegration.h"
#include "Login/LaunchAtLoginManager.h"
#include "Platform/SettingsStore.h"
#include "Windows/IntegrationSetupError.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsWindowController.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <unistd.h>

// The windows: each is created on first use and kept for the life of the process. Their closures hold
// the delegate weakly and do nothing once it is gone.
namespace quorvel {

namespace {

constexpr int completedOnboardingVersion = 4;

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// A closure that runs `action` on the delegate while it exists.
template <typename... Arguments>
std::function<void(Arguments...)> weakly(AppDelegate* delegate, void (AppDelegate::*action)(Arguments...)) {
    QPointer<AppDelegate> self(delegate);
    return [self, action](Arguments... arguments) {
        if (self)
            (self.data()->*action)(arguments...);
    };
}

} // namespace

void AppDelegate::showSettings() {
    if (!settingsController) {
        SettingsWindowController::Actions actions{weakly(this, &AppDelegate::applyIntegrationSelection),
                                                  weakly(this, &AppDelegate::setLaunchAtLogin),
                                                  weakly(this, &AppDelegate::openLoginItems),
                                                  weakly(this, &AppDelegate::checkForUpdates)};
        settingsController = std::make_unique<SettingsWindowController>(
            resourceBundle(), std::move(actions), platform_.buildInfo, *platform_.workspace);
    }
    settingsController->prepareForShowing(
        {codexEnabled, claudeEnabled, claudeHealth, launchAtLogin.state(), globalMenuShortcutAvailable});
    settingsController->showWindow();
}

void AppDelegate::showOnboarding() {
    if (!onboardingController)
        onboardingController = std::make_unique<OnboardingWindowController>(
            resourceBundle(), weakly(this, &AppDelegate::applyOnboardingSelection),
            weakly(this, &AppDelegate::finishOnboarding), weakly(this, &AppDelegate::openLoginItems));
    const int version = platform_.settings->integer(SettingsKeys::integrationOnboardingVersion).value_or(0);
    const bool launch = version < 1 || launchAtLogin.state() == LaunchAtLoginState::enabled;
    onboardingController->prepare(codexEnabled, claudeEnabled, launch, globalMenuShortcutAvailable);
    onboardingController->showWindow();
}

void AppDelegate::manageIntegrations() {
    showIntegrationSetup(false);
}

void AppDelegate::showIntegrationSetup(bool firstRun) {
    if (!integrationSetupController)
        integrationSetupController = std::make_unique<IntegrationSetupWindowController>(
            resourceBundle(), weakly(this, &AppDelegate::applySetupSelection),
            weakly(this, &AppDelegate::openLoginItems));
    const bool launch = firstRun || launchAtLogin.state() == LaunchAtLoginState::enabled;
    integrationSetupController->configure(codexEnabled, claudeEnabled, launch, firstRun);
    integrationSetupController->showWindow();
}

void AppDelegate::setLaunchAtLogin(bool enabled) {
    launchAtLogin.setEnabled(enabled);
    redraw();
}

void AppDelegate::openLoginItems() {
    launchAtLogin.openSystemSettings();
}

void AppDelegate::checkForUpdates() {
    updaterController().checkForUpdates();
}

void AppDelegate::applyIntegrationSelection(bool codex, bool claude) {
    if (!codex && !claude)
        throw IntegrationSetupError::providerRequired();
    const auto settingsURL = ClaudeIntegration::settingsURL(platform_.home);
    const auto helperURL = ClaudeIntegration::installedHelperURL(platform_.home);
    if (claude) {
        // Every time, so that saving repairs a damaged installation.
        ClaudeIntegration::enable(bundledQuorvelStatusURL(), settingsURL, helperURL);
        claudeHealth = ClaudeIntegrationHealth::enabled;
    } else if (claudeEnabled ||
               ClaudeIntegration::health(settingsURL, helperURL) != ClaudeIntegrationHealth::disabled) {
        ClaudeIntegration::disable(settingsURL, helperURL);
        claudeHealth = ClaudeIntegrationHealth::disabled;
    }

    codexEnabled = codex;
    claudeEnabled = claude;
    platform_.settings->set(SettingsKeys::codexIntegrationEnabled, codex);
    platform_.settings->set(SettingsKeys::claudeIntegrationEnabled, claude);
    platform_.settings->sync();

    std::erase_if(tasks, [codex, claude](const TaskStatus& task) {
        const TaskProvider provider = task.provider();
        return (!codex && provider == TaskProvider::codex) || (!claude && provider == TaskProvider::claude);
    });
    if (refreshing)
        redraw(); // the running refresh is dropped; show the rows gone now
    requestRefresh();
}

void AppDelegate::applySetupSelection(bool codex, bool claude, bool launch, bool completesOnboarding) {
    applyIntegrationSelection(codex, claude);
    launchAtLogin.setEnabled(launch);
    if (completesOnboarding)
        storeOnboardingCompleted();
    redraw();
}

void AppDelegate::applyOnboardingSelection(bool codex, bool claude, bool launch) {
    // Onboarding is completed by its last page, not by this choice.
    applySetupSelection(codex, claude, launch, false);
}

void AppDelegate::finishOnboarding() {
    storeOnboardingCompleted();
}

void AppDelegate::storeOnboardingCompleted() {
    platform_.settings->set(SettingsKeys::integrationSetupCompleted, true);
    platform_.settings->set(SettingsKeys::integrationOnboardingVersion, completedOnboardingVersion);
    platform_.settings->sync();
}

std::filesystem::path AppDelegate::bundledQuorvelStatusURL() const {
    return bundledQuorvelStatusURL(QCoreApplication::applicationDirPath().toStdString());
}

std::filesystem::path AppDelegate::bundledQuorvelStatusURL(const std::filesystem::path& programFolder) {
    const std::filesystem::path installed = programFolder / ".." / "lib" / "quorvel" / "quorvel-status";
    if (programFolder.empty() || isExecutableFile(installed))
        return installed.lexically_normal();
    return programFolder / "quorvel-status";
}

} // namespace quorvel
