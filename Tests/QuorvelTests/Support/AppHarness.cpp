#include "Support/AppHarness.h"

#include "Platform/SettingsStore.h"
#include "Support/BuildOf.h"
#include "Support/Locations.h"

#include <QAction>
#include <QMenu>
#include <cstdio>

namespace quorvel::testing {

namespace {
std::string uuid(int number, char kind) {
    char text[40];
    std::snprintf(text, sizeof text, "%08x-0000-4000-8000-%c%011d", number, kind, number);
    return text;
}
// Puts a new fake into the platform's slot and keeps a pointer to it.
template <typename Fake, typename Interface> Fake* install(std::unique_ptr<Interface>& slot) {
    auto made = std::make_unique<Fake>();
    Fake* fake = made.get();
    slot = std::move(made);
    return fake;
}

} // namespace

AppHarness::AppHarness()
    : homeVariable("HOME", home.path().string()),
      configVariable("XDG_CONFIG_HOME", (home / ".config").string()) {}

AppHarness::~AppHarness() {
    delegate.reset();
}

QString AppHarness::settingsFile() const {
    return QString::fromStdString((home / ".config" / "Quorvel" / "Quorvel.conf").string());
}

std::filesystem::path AppHarness::supportFolder() const {
    return Locations::quorvelSupport(home.path());
}

void AppHarness::writeSettings(std::string_view iniText) {
    writeFile(settingsFile().toStdString(), iniText);
}

AppPlatform AppHarness::platform() {
    AppPlatform platform;
    platform.home = home.path();
    platform.buildInfo = buildOf("1.4.2", "abc1234");
    platform.settings = std::make_unique<SettingsStore>(settingsFile());
    clock = install<ManualClock>(platform.clock);
    workspace = install<RecordingWorkspace>(platform.workspace);
    alerts = install<RecordingAlerts>(platform.alerts);
    notifier = install<RecordingNotifier>(platform.notifier);
    frontmost = install<FixedFrontmostApplication>(platform.frontmostApplication);
    sounds = install<FakeSoundPlayer>(platform.sounds);
    refresh = install<HeldRefreshRunner>(platform.refreshRunner);
    orca = install<HeldOrcaOpenRunner>(platform.orcaOpenRunner);
    platform.launchAtLogin = loginItem.manager();
    platform.locateOrca = [this] {
        ++orcaLookups;
        return orcaInstallation;
    };
    platform.makeStatusItem = [this] {
        auto made = std::make_unique<FakeStatusItem>();
        made->exported = trayExportsMenu;
        made->tray = trayAvailable;
        item = made.get();
        return made;
    };
    platform.makeHotKeyBackend = [this] {
        auto made = std::make_unique<FakeHotKeyBackend>();
        made->refusesHotKey = !grantsHotKey;
        hotKeys = made.get();
        return made;
    };
    platform.placeMenu = [this] { return menuPlace; };
    platform.trayCheckDelay = std::chrono::milliseconds(20);
    return platform;
}

RecordingAppDelegate& AppHarness::create() {
    delegate = std::make_unique<RecordingAppDelegate>(platform());
    return *delegate;
}

RecordingAppDelegate& AppHarness::launch() {
    create().applicationDidFinishLaunching();
    return *delegate;
}

void AppHarness::answerRefresh(std::vector<TaskStatus> tasks, std::optional<std::string> diagnostic) {
    RefreshSnapshot snapshot;
    snapshot.tasks = std::move(tasks);
    snapshot.diagnostic = std::move(diagnostic);
    snapshot.readState = delegate->readState;
    snapshot.claudeHealth = delegate->claudeHealth;
    refresh->answer(std::move(snapshot));
}

void AppHarness::refreshWith(std::vector<TaskStatus> tasks, std::optional<std::string> diagnostic) {
    delegate->refresh();
    answerRefresh(std::move(tasks), std::move(diagnostic));
}

TaskStatus claudeTask(int number, std::string_view name, LightState state, Date updatedAt) {
    auto task = TaskStatus::make("claude-" + uuid(number, 'c'), name, state, updatedAt,
                                 std::string(claudeCodeSource));
    task.providerSessionID = "local_" + uuid(number, 'd');
    return task;
}

TaskStatus codexTask(int number, std::string_view name, LightState state, Date updatedAt) {
    return TaskStatus::make("codex-" + uuid(number, 'a'), name, state, updatedAt,
                            std::string(codexHistorySource));
}

TaskStatus localTask(int number, std::string_view name, LightState state, Date updatedAt) {
    return TaskStatus::make("local-" + std::to_string(number), name, state, updatedAt,
                            std::string(localStatusSource));
}

TaskStatus inOrca(TaskStatus task, Date observedAt) {
    const auto provider = task.provider() == TaskProvider::claude ? "claude" : "codex";
    const auto dash = task.id.find('-');
    task.orcaSession = OrcaSessionReference{
        provider, task.id.substr(dash + 1), "tab-1", "leaf-1", "worktree-1", observedAt, {}};
    return task;
}

QStringList visibleItemTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator())
            texts << "---";
        else if (action->menu())
            texts << action->text() + QLatin1Char('>');
        else
            texts << action->text();
    }
    return texts;
}

} // namespace quorvel::testing
