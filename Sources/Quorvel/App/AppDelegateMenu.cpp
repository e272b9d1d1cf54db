#include "App/AppDelegate.h"
#include "App/MenuIcons.h"
#include "App/SettingsKeys.h"
#include "App/SoftwareUpdater.h"
#include "App/StatusTexts.h"
#include "App/TaskMenu.h"
#include "App/TaskMenuStyle.h"
#include "App/TaskStatusMetaType.h"
#include "Orca/TaskOpenDestination.h"
#include "Platform/Clock.h"
#include "Platform/SettingsStore.h"
#include "Platform/StatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <algorithm>

namespace quorvel {

namespace {

// A menu item without an action: shown, never chosen.
QAction* addLabel(QMenu* menu, const QString& text) {
    QAction* label = menu->addAction(text);
    label->setEnabled(false);
    return label;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

StatusTexts::MenuHost menuHost(const StatusItem* item) {
    return item && item->exportsMenu() ? StatusTexts::MenuHost::dbusMenu : StatusTexts::MenuHost::qt;
}

} // namespace

std::vector<TaskStatus> AppDelegate::visibleRows(Date now) const {
    struct Row {
        int key;
        const TaskStatus* task;
    };
    std::vector<Row> rows;
    for (const auto& task : tasks)
        if (ActivityWindows::includes(activityWindow, task, now, readState))
            rows.push_back({LightStates::rank(task.visibleState(now, readState)), &task});
    std::stable_sort(rows.begin(), rows.end(), [](const Row& left, const Row& right) {
        if (left.key != right.key)
            return left.key < right.key;
        return left.task->updatedAt > right.task->updatedAt;
    });
    std::vector<TaskStatus> visible;
    for (std::size_t index = 0; index < rows.size() && index < std::size_t(visibleRowLimit); ++index)
        visible.push_back(*rows[index].task);
    return visible;
}

void AppDelegate::redraw() {
    const Date now = platform_.clock->now();
    std::vector<LightState> states;
    for (const auto& task : tasks)
        if (ActivityWindows::includes(activityWindow, task, now, readState))
            states.push_back(task.visibleState(now, readState));
    menuBarStatuses = LightStates::menuBarStatuses(states);
    renderStatusButton();
    const auto rows = visibleRows(now);
    if (menuIsOpen && menu_) {
        // An open menu is never replaced: its rows change in place.
        menu_->changeItems([&] {
            emptyStateMenuItem->setVisible(rows.empty());
            updateTaskMenuRows(rows, now);
        });
        return;
    }
    buildMenu(rows, now);
}

void AppDelegate::buildMenu(const std::vector<TaskStatus>& rows, Date now) {
    auto menu = std::make_unique<TaskMenu>();
    menu->setStyle(menuStyle_.get());
    menu->setToolTipsVisible(true);
    connect(menu.get(), &QMenu::aboutToShow, this, &AppDelegate::menuWillOpen);
    connect(menu.get(), &QMenu::aboutToHide, this, &AppDelegate::menuDidClose);
    workingMenuItems.clear();
    taskMenuRows.clear();
    emptyStateMenuItem = nullptr;
    updateMenuItem = nullptr;

    const auto host = menuHost(item.get());
    addLabel(menu.get(), StatusTexts::menuText(
                             QStringLiteral("Quorvel by Nimbrel \u00B7 ") + appVersionDescription(), host));
    addUpdateMenuItem(menu.get());
    menu->addSeparator();
    if (diagnostic)
        addLabel(menu.get(), StatusTexts::menuText(QString::fromStdString(*diagnostic), host));
    emptyStateMenuItem = addLabel(menu.get(), StatusTexts::emptyStateText(codexEnabled, claudeEnabled));
    emptyStateMenuItem->setVisible(rows.empty());
    addTaskMenuRows(menu.get());
    updateTaskMenuRows(rows, now);
    menu->addSeparator();
    addActivityWindowMenu(menu.get());
    addSettingsItems(menu.get());

    if (item)
        item->setMenu(menu.get());
    std::swap(menu_, menu);
    // The old menu may still be delivering its last signal.
    if (menu)
        menu.release()->deleteLater();
}

void AppDelegate::addTaskMenuRows(QMenu* menu) {
    for (int index = 0; index < visibleRowLimit; ++index) {
        TaskMenuRow row{menu->addAction(QString()), addLabel(menu, QString()), menu->addSeparator()};
        connect(row.title, &QAction::triggered, this, [this, title = row.title] { openTask(title->data()); });
        taskMenuRows.push_back(row);
    }
}

void AppDelegate::addActivityWindowMenu(QMenu* menu) {
    QMenu* windows = menu->addMenu(QStringLiteral("Show active chats from"));
    for (ActivityWindow window : ActivityWindows::allCases) {
        QAction* choice = windows->addAction(fromUtf8(ActivityWindows::label(window)));
        choice->setCheckable(true);
        choice->setChecked(window == activityWindow);
        choice->setData(ActivityWindows::rawValue(window));
        connect(choice, &QAction::triggered, this, [this, choice] { changeActivityWindow(choice->data()); });
    }
}

void AppDelegate::addSettingsItems(QMenu* menu) {
    connect(menu->addAction(QStringLiteral("Report an issue\u2026")), &QAction::triggered, this,
            [this] { showFeedback(); });
    QMenu* sounds = menu->addMenu(QStringLiteral("Sounds"));
    QAction* playSounds = sounds->addAction(QStringLiteral("Play sounds"));
    playSounds->setCheckable(true);
    playSounds->setChecked(soundsEnabled);
    connect(playSounds, &QAction::triggered, this, [this] { toggleSounds(); });
    QAction* settings = menu->addAction(QStringLiteral("Settings\u2026"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, [this] { showSettings(); });
    QAction* quitItem = menu->addAction(QStringLiteral("Quit Quorvel"));
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitItem, &QAction::triggered, this, [this] { quit(); });
}

void AppDelegate::updateTaskMenuRows(const std::vector<TaskStatus>& rows, Date now) {
    workingMenuItems.clear();
    for (std::size_t index = 0; index < taskMenuRows.size(); ++index) {
        const TaskMenuRow& row = taskMenuRows[index];
        const bool shown = index < rows.size();
        row.title->setVisible(shown);
        row.detail->setVisible(shown);
        row.divider->setVisible(shown);
        if (shown)
            fillTaskMenuRow(row, rows[index], now);
    }
}

void AppDelegate::fillTaskMenuRow(const TaskMenuRow& row, const TaskStatus& task, Date now) {
    const LightState state = task.visibleState(now, readState);
    const TaskProvider provider = task.provider();
    const auto host = menuHost(item.get());
    row.title->setText(StatusTexts::taskTitle(task.name, host));
    const bool marksRead = marksReadWhenChosen(task, state);
    row.title->setEnabled(openDestination(task).has_value() || marksRead);
    row.title->setData(QVariant::fromValue(task));
    row.title->setIcon(taskSourceIcons(provider, task.isOrcaTask(), state));
    row.title->setToolTip(StatusTexts::plainToolTip(StatusTexts::rowToolTip(task, state, marksRead)));
    row.detail->setText(StatusTexts::menuText(StatusTexts::rowDetail(task, state), host));
    row.detail->setIcon(detailIcon(task));
    row.detail->setToolTip(task.isOrcaTask() ? QStringLiteral("Orca \u00B7 ") + StatusTexts::appName(provider)
                                             : QString());
    if (state == LightState::working)
        workingMenuItems.push_back({row.title, provider, task.isOrcaTask()});
}

QMenu* AppDelegate::menu() const {
    return menu_.get();
}

QString AppDelegate::appVersionDescription() const {
    const auto& build = platform_.buildInfo;
    QString description = QStringLiteral("v") + build.shortVersion.value_or(QStringLiteral("Development"));
    if (build.commitHash && !build.commitHash->isEmpty())
        description += QStringLiteral(" (") + *build.commitHash + QStringLiteral(")");
    return description;
}

void AppDelegate::addUpdateMenuItem(QMenu* menu) {
    updateMenuItem = menu->addAction(QString());
    updateMenuItem->setIcon(QIcon(QPixmap::fromImage(icons_->updateIcon(qGuiApp->devicePixelRatio()))));
    connect(updateMenuItem, &QAction::triggered, this, [this] { showAvailableUpdate(); });
    refreshUpdateMenuItem();
}

void AppDelegate::refreshUpdateMenuItem() {
    if (!updateMenuItem)
        return;
    if (availableUpdateVersion)
        updateMenuItem->setText(StatusTexts::menuText(QStringLiteral("Update available \u2014 v") +
                                                          *availableUpdateVersion + QStringLiteral("\u2026"),
                                                      menuHost(item.get())));
    updateMenuItem->setVisible(availableUpdateVersion.has_value());
}

void AppDelegate::updaterDidFindValidUpdate(const QString& displayVersion) {
    availableUpdateVersion = displayVersion;
    refreshUpdateMenuItem();
}

void AppDelegate::updaterDidNotFindUpdate() {
    availableUpdateVersion.reset();
    refreshUpdateMenuItem();
}

void AppDelegate::showAvailableUpdate() {
    updaterController().openAvailableUpdate();
}

void AppDelegate::changeActivityWindow(const QVariant& representedObject) {
    switch (representedObject.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        break;
    default:
        return;
    }
    activityWindow = ActivityWindows::saved(representedObject.toInt());
    platform_.settings->set(SettingsKeys::activityWindowHours, ActivityWindows::rawValue(activityWindow));
    platform_.settings->sync();
    redraw();
}

void AppDelegate::toggleSounds() {
    soundsEnabled = !soundsEnabled;
    platform_.settings->set(SettingsKeys::soundsEnabled, soundsEnabled);
    platform_.settings->sync();
    redraw();
}

void AppDelegate::menuWillOpen() {
    menuIsOpen = true;
}

// Qt hides the menu before it delivers the chosen action: the rebuild waits for the next turn of the
// event loop, so the chosen row and its task are still there.
void AppDelegate::menuDidClose() {
    menuIsOpen = false;
    QTimer::singleShot(0, this, [this] {
        if (!menuIsOpen)
            redraw();
    });
}

void AppDelegate::showMenuFromShortcut() {
    redraw();
    showMenuAtPointer();
}

void AppDelegate::showMenuAtPointer() {
    if (menu_)
        menu_->popup(QCursor::pos());
}

} // namespace quorvel
