#include "App/AccessibleMenuItem.h"
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

#include <QActionGroup>
#include <QCursor>
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

// The menu is built once. After that its items change in place, open or closed, and only where what
// they show changed: a tray host then hears of nothing when nothing changed, and no event can ever reach
// a menu that is gone. An open menu changes only its rows; the rest follows once it has closed.
void AppDelegate::redraw() {
    const Date now = platform_.clock->now();
    std::vector<LightState> states;
    for (const auto& task : tasks)
        if (ActivityWindows::includes(activityWindow, task, now, readState))
            states.push_back(task.visibleState(now, readState));
    menuBarStatuses = LightStates::menuBarStatuses(states);
    renderStatusButton();
    updateAnimationTimer();
    const auto rows = visibleRows(now);
    if (!menu_)
        buildMenu();
    menu_->changeItems([&] {
        if (!menuIsOpen)
            updateMenuCommands();
        emptyStateMenuItem->setVisible(rows.empty());
        updateTaskMenuRows(rows, now);
    });
}

void AppDelegate::buildMenu() {
    menu_ = std::make_unique<TaskMenu>();
    TaskMenu* menu = menu_.get();
    menu->setStyle(menuStyle_.get());
    menu->setToolTipsVisible(true);
    connect(menu, &QMenu::aboutToShow, this, &AppDelegate::menuWillOpen);
    connect(menu, &QMenu::aboutToHide, this, &AppDelegate::menuDidClose);

    addLabel(menu,
             StatusTexts::menuText(QStringLiteral("Quorvel by Nimbrel \u00B7 ") + appVersionDescription(),
                                   menuHost(item.get())));
    addUpdateMenuItem(menu);
    menu->addSeparator();
    diagnosticMenuItem_ = addLabel(menu, QString());
    emptyStateMenuItem = addLabel(menu, QString());
    addTaskMenuRows(menu);
    menu->addSeparator();
    addActivityWindowMenu(menu);
    addSettingsItems(menu);
    if (item)
        item->setMenu(menu);
}

// What a rebuilt menu would show around the rows: the diagnostic line, the empty state's text and the
// settings' marks.
void AppDelegate::updateMenuCommands() {
    diagnosticMenuItem_->setText(
        diagnostic ? StatusTexts::menuText(QString::fromStdString(*diagnostic), menuHost(item.get()))
                   : QString());
    diagnosticMenuItem_->setVisible(diagnostic.has_value());
    emptyStateMenuItem->setText(StatusTexts::emptyStateText(codexEnabled, claudeEnabled));
    for (QAction* choice : activityWindowChoices_->actions())
        if (choice->data().toInt() == ActivityWindows::rawValue(activityWindow))
            choice->setChecked(true);
    playSoundsItem_->setChecked(soundsEnabled);
}

void AppDelegate::addTaskMenuRows(QMenu* menu) {
    for (int index = 0; index < visibleRowLimit; ++index) {
        TaskMenuRow row;
        row.title = menu->addAction(QString());
        row.detail = addLabel(menu, QString());
        row.divider = menu->addSeparator();
        for (QAction* action : {row.title, row.detail, row.divider})
            action->setVisible(false);
        // Before anybody asks: an item's accessible interface is made once.
        AccessibleMenuItem::setDescription(row.title, QString());
        connect(row.title, &QAction::triggered, this, [this, title = row.title] { openTask(title->data()); });
        taskMenuRows.push_back(row);
    }
}

// A single choice: its items are drawn (and exported) as radio buttons.
void AppDelegate::addActivityWindowMenu(TaskMenu* menu) {
    TaskMenu* windows = menu->addSubmenu(QStringLiteral("Show active chats from"));
    activityWindowChoices_ = new QActionGroup(windows);
    for (ActivityWindow window : ActivityWindows::allCases) {
        QAction* choice = windows->addAction(fromUtf8(ActivityWindows::label(window)));
        choice->setCheckable(true);
        choice->setActionGroup(activityWindowChoices_);
        choice->setData(ActivityWindows::rawValue(window));
        connect(choice, &QAction::triggered, this, [this, choice] { changeActivityWindow(choice->data()); });
    }
}

void AppDelegate::addSettingsItems(TaskMenu* menu) {
    connect(menu->addAction(QStringLiteral("Report an issue\u2026")), &QAction::triggered, this,
            [this] { showFeedback(); });
    TaskMenu* sounds = menu->addSubmenu(QStringLiteral("Sounds"));
    playSoundsItem_ = sounds->addAction(QStringLiteral("Play sounds"));
    playSoundsItem_->setCheckable(true);
    connect(playSoundsItem_, &QAction::triggered, this, [this] { toggleSounds(); });
    QAction* settings = menu->addAction(QStringLiteral("Settings\u2026"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, [this] { showSettings(); });
    QAction* quitItem = menu->addAction(QStringLiteral("Quit Quorvel"));
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitItem, &QAction::triggered, this, [this] { quit(); });
}

// Qt's setters leave an item alone when the value is the same; icons, which Qt cannot compare, are set
// only when what they are drawn from changed. A working row's pulse is drawn by the animation.
void AppDelegate::updateTaskMenuRows(const std::vector<TaskStatus>& rows, Date now) {
    workingMenuItems.clear();
    for (std::size_t index = 0; index < taskMenuRows.size(); ++index) {
        TaskMenuRow& row = taskMenuRows[index];
        const bool shown = index < rows.size();
        row.title->setVisible(shown);
        row.detail->setVisible(shown);
        row.divider->setVisible(shown);
        if (shown)
            fillTaskMenuRow(row, rows[index], now);
    }
}

void AppDelegate::fillTaskMenuRow(TaskMenuRow& row, const TaskStatus& task, Date now) {
    const LightState state = task.visibleState(now, readState);
    const TaskProvider provider = task.provider();
    const bool marksRead = marksReadWhenChosen(task, state);
    RowContentKey content{task, state, marksRead, openDestination(task).has_value() || marksRead,
                          menuHost(item.get())};
    if (row.content != content) {
        fillTaskMenuRowTexts(row, content);
        row.content = std::move(content);
    }
    const RowImageKey titleImage{provider, task.isOrcaTask(), state, SystemColours::currentAppearance(),
                                 MenuIcons::screenRatio()};
    if (row.titleImage != titleImage) {
        row.title->setIcon(taskSourceIcons(provider, task.isOrcaTask(), state));
        row.titleImage = titleImage;
    }
    RowImageKey detailImage = titleImage;
    detailImage.provider = task.isOrcaTask() ? std::optional(provider) : std::nullopt;
    detailImage.state.reset();
    if (row.detailImage != detailImage) {
        row.detail->setIcon(detailIcon(task));
        row.detailImage = detailImage;
    }
    if (state == LightState::working)
        workingMenuItems.push_back({row.title, provider, task.isOrcaTask()});
}

void AppDelegate::fillTaskMenuRowTexts(TaskMenuRow& row, const RowContentKey& content) {
    const TaskStatus& task = content.task;
    const TaskProvider provider = task.provider();
    row.title->setText(StatusTexts::taskTitle(task.name, content.host));
    row.title->setEnabled(content.enabled);
    row.title->setData(QVariant::fromValue(task));
    AccessibleMenuItem::setDescription(
        row.title, StatusTexts::rowImageDescription(provider, task.isOrcaTask(), content.state));
    row.title->setToolTip(
        StatusTexts::plainToolTip(StatusTexts::rowToolTip(task, content.state, content.marksReadWhenChosen)));
    row.detail->setText(StatusTexts::menuText(StatusTexts::rowDetail(task, content.state), content.host));
    row.detail->setToolTip(task.isOrcaTask() ? QStringLiteral("Orca \u00B7 ") + StatusTexts::appName(provider)
                                             : QString());
}

// The working rows' icons at the amber lamp's phase. Only an open menu pulses: a closed one, which
// nobody sees, catches up as it opens.
void AppDelegate::animateWorkingRows() {
    if (workingMenuItems.empty())
        return;
    menu_->changeItems([this] {
        for (const auto& row : workingMenuItems)
            row.item->setIcon(taskSourceIcons(row.provider, row.isOrcaTask, LightState::working));
    });
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

QIcon AppDelegate::updateMenuItemIcon() const {
    return QIcon(QPixmap::fromImage(icons_->updateIcon(MenuIcons::screenRatio())));
}

void AppDelegate::addUpdateMenuItem(QMenu* menu) {
    updateMenuItem = menu->addAction(QString());
    updateMenuItem->setIcon(updateMenuItemIcon());
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
    animateWorkingRows();
}

// Qt hides the menu before it delivers the chosen action: the update waits for the next turn of the
// event loop, so the chosen row still holds its task.
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

void AppDelegate::showFromSecondStart() {
    redraw();
    const auto place = platform_.placeMenu ? platform_.placeMenu() : std::nullopt;
    if (place && menu_)
        menu_->popup(*place);
    else
        showSettings();
}

void AppDelegate::showMenuAtPointer() {
    if (menu_)
        menu_->popup(QCursor::pos());
}

} // namespace quorvel
