#include "App/AppDelegate.h"

#include "App/GlobalMenuShortcut.h"
#include "App/MenuIcons.h"
#include "App/SettingsKeys.h"
#include "App/SoftwareUpdater.h"
#include "App/TaskMenu.h"
#include "App/TaskMenuStyle.h"
#include "Claude/ClaudeIntegration.h"
#include "Login/LaunchAtLoginManager.h"
#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Platform/HotKeyBackend.h"
#include "Platform/ResourceBundle.h"
#include "Platform/SettingsStore.h"
#include "Platform/StatusItem.h"
#include "Platform/Workspace.h"
#include "Support/StaleTemporaryFiles.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsWindowController.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace quorvel {

namespace {

// Settings of earlier versions that nothing reads any more.
const char* const obsoleteSettings[] = {"usageTelemetry", "usageTelemetryWriteKey", "shareAnonymousUsage",
                                        "pendingUsageDeletions", "usageDeletionPendingIDs"};

constexpr int lastOnboardingVersionToShow = 3;

ClaudeIntegrationHealth claudeHooksHealth(const std::filesystem::path& home) {
    return ClaudeIntegration::health(ClaudeIntegration::settingsURL(home),
                                     ClaudeIntegration::installedHelperURL(home));
}

} // namespace

AppDelegate::AppDelegate(AppPlatform platform)
    : launchAtLogin(*platform.launchAtLogin), platform_(std::move(platform)),
      icons_(std::make_unique<MenuIcons>(resourceBundle())), menuStyle_(std::make_unique<TaskMenuStyle>()) {
    readSettings();
    // Whether a row opens its link or marks it read, and its tooltip, follow the link handlers.
    if (platform_.workspace)
        platform_.workspace->onHandlersChanged([this] { redraw(); });
}

AppDelegate::~AppDelegate() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    if (item)
        item->setMenu(nullptr);
}

void AppDelegate::readSettings() {
    const SettingsStore& settings = *platform_.settings;
    activityWindow = ActivityWindows::saved(settings.integer(SettingsKeys::activityWindowHours).value_or(0));
    soundsEnabled = settings.boolean(SettingsKeys::soundsEnabled).value_or(true);
    codexEnabled = settings.boolean(SettingsKeys::codexIntegrationEnabled).value_or(true);
    const auto storedClaude = settings.boolean(SettingsKeys::claudeIntegrationEnabled);
    claudeHealth = claudeHooksHealth(platform_.home);
    claudeEnabled = storedClaude ? *storedClaude : claudeHealth != ClaudeIntegrationHealth::disabled;
}

void AppDelegate::applicationDidFinishLaunching() {
    // A QApplication has no dock icon and no application menu, and Qt's text fields take the editing
    // shortcuts themselves: the first two steps of a launch have nothing to do here.
    removeObsoleteSettings();
    StaleTemporaryFiles::remove(StaleTemporaryFiles::ownFolders(platform_.home), platform_.clock->now());
    item = platform_.makeStatusItem();
    QPointer<AppDelegate> self(this);
    item->setClickHandler([self] {
        if (self)
            self->showMenuAtPointer();
    });
    globalMenuShortcutAvailable = globalMenuShortcut().registerShortcut();
    redraw();
    // A tray that comes up with the desktop session may take a moment.
    QTimer::singleShot(platform_.trayCheckDelay, this, [self] {
        if (self)
            self->tellWhenNoTray();
    });
    updaterController().startUpdater();
    startTimers();
    QCoreApplication::instance()->installEventFilter(this);
    if (platform_.settings->integer(SettingsKeys::integrationOnboardingVersion).value_or(0) <=
        lastOnboardingVersionToShow)
        showOnboarding();
}

void AppDelegate::removeObsoleteSettings() {
    for (const char* key : obsoleteSettings)
        platform_.settings->remove(QString::fromLatin1(key));
    platform_.settings->sync();
}

QTimer* AppDelegate::startRepeating(int interval, void (AppDelegate::*tick)()) {
    auto* repeating = new QTimer(this);
    repeating->setInterval(interval);
    QPointer<AppDelegate> self(this);
    connect(repeating, &QTimer::timeout, this, [self, tick] {
        if (self)
            (self->*tick)();
    });
    repeating->start();
    return repeating;
}

// The first refresh runs before the refresh timer exists, so the menu is filled before its first tick.
void AppDelegate::startTimers() {
    animationTimer = startRepeating(animationInterval, &AppDelegate::advanceLampAnimation);
    updateAnimationTimer();
    refresh();
    timer = startRepeating(refreshInterval, &AppDelegate::refresh);
}

void AppDelegate::applicationWillTerminate() {
    if (globalMenuShortcut_)
        globalMenuShortcut_->unregisterAtShutdown();
}

void AppDelegate::quit() {
    QCoreApplication::quit();
}

GlobalMenuShortcut& AppDelegate::globalMenuShortcut() {
    if (!globalMenuShortcut_) {
        QPointer<AppDelegate> self(this);
        globalMenuShortcut_ = std::make_unique<GlobalMenuShortcut>(
            [self] {
                if (self)
                    self->showMenuFromShortcut();
            },
            platform_.makeHotKeyBackend());
    }
    return *globalMenuShortcut_;
}

SoftwareUpdater& AppDelegate::updaterController() {
    if (!updaterController_) {
        QPointer<AppDelegate> self(this);
        SoftwareUpdater::Delegate delegate{[self](const QString& version) {
                                               if (self)
                                                   self->updaterDidFindValidUpdate(version);
                                           },
                                           [self] {
                                               if (self)
                                                   self->updaterDidNotFindUpdate();
                                           }};
        updaterController_ = std::make_unique<SoftwareUpdater>(
            platform_.buildInfo.updateFeedURL, platform_.buildInfo.shortVersion.value_or(QString()),
            *platform_.workspace, *platform_.alerts, std::move(delegate));
    }
    return *updaterController_;
}

const ResourceBundle& AppDelegate::resourceBundle() const {
    return ResourceBundle::module();
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    const bool appearanceEvent =
        event->type() == QEvent::ThemeChange || event->type() == QEvent::ApplicationPaletteChange;
    // The change reaches the application and each window: answer it once.
    if (appearanceEvent && !appearanceChangePending_ &&
        (watched == QCoreApplication::instance() || watched->isWindowType())) {
        appearanceChangePending_ = true;
        QTimer::singleShot(0, this, [this] {
            appearanceChangePending_ = false;
            systemAppearanceDidChange();
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorvel
