#pragma once

#include "App/BuildInfo.h"
#include "Orca/OrcaInstallation.h"

#include <QPoint>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace quorvel {

class AlertPresenter;
class Clock;
class FrontmostApplication;
class HotKeyBackend;
class LaunchAtLoginManager;
class Notifier;
class OrcaOpenRunner;
class RefreshRunner;
class SettingsStore;
class SoundPlayer;
class StatusItem;
class Workspace;

// Everything the application delegate takes from the desktop, so that tests can give fakes.
struct AppPlatform {
    std::filesystem::path home; // where the read-state files live
    BuildInfo buildInfo;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<AlertPresenter> alerts;
    std::unique_ptr<FrontmostApplication> frontmostApplication;
    std::unique_ptr<SoundPlayer> sounds;
    std::unique_ptr<RefreshRunner> refreshRunner;
    std::unique_ptr<OrcaOpenRunner> orcaOpenRunner;
    std::unique_ptr<LaunchAtLoginManager> launchAtLogin;
    std::unique_ptr<Notifier> notifier;
    // The installed Orca app, looked up afresh each time; none when it is not installed.
    std::function<std::optional<OrcaInstallation>()> locateOrca;
    // Called at start-up, once each.
    std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
    std::function<std::unique_ptr<HotKeyBackend>()> makeHotKeyBackend;
    // Where a menu opened from outside the tray goes; none where no menu can be placed.
    std::function<std::optional<QPoint>()> placeMenu;
    // How long after the start the tray is looked for, to tell the user once when there is none.
    std::chrono::milliseconds trayCheckDelay{6000};

    AppPlatform();
    AppPlatform(AppPlatform&&) noexcept;
    AppPlatform& operator=(AppPlatform&&) noexcept;
    ~AppPlatform();

    // The real desktop: QSettings, the tray, libcanberra, xdg-open, X11, the refresh worker.
    static AppPlatform forThisDesktop();
};

} // namespace quorvel
