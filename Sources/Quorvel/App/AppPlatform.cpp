#include "App/AppPlatform.h"

#include "Login/LaunchAtLoginManager.h"
#include "Platform/AlertPresenter.h"
#include "Platform/CanberraSoundPlayer.h"
#include "Platform/Clock.h"
#include "Platform/DesktopNotifier.h"
#include "Platform/HotKeyBackend.h"
#include "Platform/MenuPlacement.h"
#include "Platform/SettingsStore.h"
#include "Platform/SystemTrayStatusItem.h"
#include "Platform/ThreadPoolOrcaOpenRunner.h"
#include "Platform/ThreadPoolRefreshRunner.h"
#include "Platform/X11FrontmostApplication.h"
#include "Platform/XdgWorkspace.h"
#include "Support/FileIO.h"

namespace quorvel {

AppPlatform::AppPlatform() = default;
AppPlatform::AppPlatform(AppPlatform&&) noexcept = default;
AppPlatform& AppPlatform::operator=(AppPlatform&&) noexcept = default;
AppPlatform::~AppPlatform() = default;

AppPlatform AppPlatform::forThisDesktop() {
    AppPlatform platform;
    platform.home = FileIO::homeDirectory();
    platform.buildInfo = BuildInfo::current();
    platform.settings = std::make_unique<SettingsStore>();
    platform.clock = std::make_unique<SystemClock>();
    platform.workspace = std::make_unique<XdgWorkspace>();
    platform.alerts = std::make_unique<MessageBoxAlerts>();
    platform.frontmostApplication = std::make_unique<X11FrontmostApplication>();
    platform.sounds = std::make_unique<CanberraSoundPlayer>();
    platform.refreshRunner = std::make_unique<ThreadPoolRefreshRunner>(*platform.clock);
    platform.orcaOpenRunner = std::make_unique<ThreadPoolOrcaOpenRunner>(*platform.clock);
    platform.launchAtLogin = std::make_unique<LaunchAtLoginManager>();
    platform.notifier = std::make_unique<DesktopNotifier>();
    platform.locateOrca = [] {
        return OrcaInstallation::locate(OrcaInstallation::configuredProgram(),
                                        OrcaInstallation::SearchFolders::fromEnvironment());
    };
    platform.makeStatusItem = [] { return std::make_unique<SystemTrayStatusItem>(); };
    platform.makeHotKeyBackend = [] { return HotKeyBackend::forThisDesktop(); };
    platform.placeMenu = [] { return MenuPlacement::outsideTheTray(); };
    return platform;
}

} // namespace quorvel
