#include "App/SoftwareUpdater.h"
#include "App/TaskMenuStyle.h"
#include "App/TaskStatusMetaType.h"
#include "Platform/SettingsStore.h"
#include "Support/AppDelegateTest.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QScreen>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::AppHarness;
using testing::claudeTask;
using testing::codexTask;
using testing::localTask;
using testing::visibleItemTexts;

// The whole menu around these items: the header above, the commands below.
QStringList menuAround(const QStringList& items) {
    const QStringList commands{"Show active chats from>", "Report an issue\u2026", "Sounds>",
                               "Settings\u2026", "Quit Quorvel"};
    return QStringList{"Quorvel by Nimbrel \u00B7 v1.4.2 (abc1234)", "---"} + items + QStringList{"---"} +
           commands;
}

class TaskMenu : public testing::AppDelegateTest {
protected:
    void launch(std::string_view settings = "[General]\nclaudeIntegrationEnabled=true\n") {
        AppDelegateTest::launch(settings);
    }
    void show(std::vector<TaskStatus> tasks, std::optional<std::string> diagnostic = std::nullopt) {
        if (!harness.refresh->pending.empty())
            harness.answerRefresh(std::move(tasks), std::move(diagnostic));
        else
            harness.refreshWith(std::move(tasks), std::move(diagnostic));
    }
    QMenu& menu() const { return *delegate->menu(); }
    QStringList shownTitles() const {
        QStringList titles;
        for (const auto& row : delegate->taskMenuRows)
            if (row.title->isVisible())
                titles << row.title->text();
        return titles;
    }
    // Closes the open menu and lets Qt finish with it.
    void closeMenu() const {
        menu().hide();
        QCoreApplication::processEvents();
    }
    QMenu* submenu(const QString& title) const {
        for (QAction* action : menu().actions())
            if (action->menu() && action->text() == title)
                return action->menu();
        return nullptr;
    }
};

TEST_F(TaskMenu, WithNoTasksAndBothProvidersTheMenuHoldsTheHeaderTheEmptyStateAndTheCommands) {
    launch();
    show({});
    EXPECT_EQ(visibleItemTexts(menu()), menuAround({"No recent Codex or Claude tasks or local signals."}));
    // Hidden: the update item, the diagnostic line and 30 rows of title, detail and separator.
    EXPECT_EQ(menu().actions().size(), 3 + 1 + 1 + 90 + 1 + 5);
    EXPECT_FALSE(delegate->updateMenuItem->isVisible());
    EXPECT_FALSE(menu().actions().at(0)->isEnabled());
}

TEST_F(TaskMenu, TheEmptyStateNamesTheEnabledProviders) {
    const std::pair<const char*, const char*> cases[] = {
        {"codexIntegrationEnabled=true\nclaudeIntegrationEnabled=false\n",
         "No recent Codex tasks or local signals."},
        {"codexIntegrationEnabled=false\nclaudeIntegrationEnabled=true\n",
         "No recent Claude tasks or local signals."},
        {"codexIntegrationEnabled=false\nclaudeIntegrationEnabled=false\n", "No recent local signals."},
    };
    for (const auto& [settings, text] : cases) {
        AppHarness each;
        each.writeSettings(std::string("[General]\n") + settings);
        auto& launched = each.launch();
        each.answerRefresh({});
        EXPECT_EQ(visibleItemTexts(*launched.menu()), menuAround({QString::fromUtf8(text)})) << settings;
        for (const auto& row : launched.taskMenuRows)
            EXPECT_FALSE(row.title->isVisible() || row.detail->isVisible() || row.divider->isVisible());
    }
}

TEST_F(TaskMenu, ADiagnosticComesUnderTheHeaderAndRowsHideTheEmptyState) {
    launch();
    show({claudeTask(1, "Refactor parser", LightState::working, minutesAgo(1))},
         "Could not read Codex attention signals.");
    EXPECT_EQ(visibleItemTexts(menu()),
              menuAround({"Could not read Codex attention signals.", "Refactor parser", "Working", "---"}));
}

TEST_F(TaskMenu, SubmenusAndCommandsCarryTheirChecksAndShortcuts) {
    launch("[General]\nactivityWindowHours=4\nsoundsEnabled=false\n");
    show({});
    QMenu* windows = submenu("Show active chats from");
    ASSERT_TRUE(windows);
    EXPECT_EQ(windows->title(), "Show active chats from");
    QStringList titles;
    QStringList checked;
    for (QAction* choice : windows->actions()) {
        titles << choice->text();
        if (choice->isChecked())
            checked << choice->text();
    }
    EXPECT_EQ(titles, (QStringList{"Last hour", "Last 2 hours", "Last 4 hours", "Last day"}));
    EXPECT_EQ(checked, QStringList{"Last 4 hours"});
    // One choice of four, drawn as radio buttons.
    QActionGroup* group = windows->actions().at(0)->actionGroup();
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->isExclusive());
    EXPECT_EQ(group->actions(), windows->actions());
    QMenu* sounds = submenu("Sounds");
    ASSERT_TRUE(sounds && sounds->actions().size() == 1);
    EXPECT_EQ(sounds->actions()[0]->text(), "Play sounds");
    EXPECT_TRUE(sounds->actions()[0]->isCheckable());
    EXPECT_FALSE(sounds->actions()[0]->isChecked());
    const auto actions = menu().actions();
    EXPECT_EQ(actions.at(actions.size() - 2)->shortcut(), QKeySequence("Ctrl+,"));
    EXPECT_EQ(actions.last()->shortcut(), QKeySequence("Ctrl+Q"));
}

TEST_F(TaskMenu, CommandsReachTheirActions) {
    launch();
    show({});
    const auto actions = menu().actions();
    actions.at(actions.size() - 4)->trigger(); // Report an issue…
    actions.at(actions.size() - 2)->trigger(); // Settings…
    EXPECT_EQ(harness.delegate->feedbackShown, 1);
    EXPECT_EQ(harness.delegate->settingsShown, 1);
}

TEST_F(TaskMenu, ThirtyOneTasksShowThirtyRowsLeavingOutTheLeastUrgentOldest) {
    launch();
    std::vector<TaskStatus> tasks;
    for (int number = 0; number < 30; ++number)
        tasks.push_back(
            claudeTask(number, "Done " + std::to_string(number), LightState::done, minutesAgo(100 - number)));
    tasks.push_back(claudeTask(99, "Waiting", LightState::waiting, minutesAgo(1)));
    tasks.back().confirmedAttentionPending = true;
    show(tasks);
    const QStringList titles = shownTitles();
    ASSERT_EQ(titles.size(), 30);
    EXPECT_EQ(titles.first(), "Waiting");
    EXPECT_EQ(titles.at(1), "Done 29"); // the newest done task
    EXPECT_FALSE(titles.contains("Done 0"));
}

// Opened from a tray at the bottom or the right of the screen, the menu grows towards the screen's middle
// as rows come in; taller than the screen, it scrolls in one column.
TEST_F(TaskMenu, AnOpenMenuWhoseRowsChangeStaysOnTheScreen) {
    launch();
    const auto tasksNamed = [&](int count, LightState state = LightState::done) {
        std::vector<TaskStatus> tasks;
        for (int number = 10; number < 10 + count; ++number)
            tasks.push_back(claudeTask(number, "Task " + std::to_string(number), state, minutesAgo(1)));
        return tasks;
    };
    const QRect available = menu().screen()->availableGeometry();
    const auto onScreen = [&] { return available.contains(menu().geometry()); };
    show(tasksNamed(1));
    menu().popup(available.bottomRight() - QPoint(10, 10));
    const QSize opened = menu().size();
    EXPECT_TRUE(onScreen());
    show(tasksNamed(3));
    EXPECT_GT(menu().height(), opened.height());
    EXPECT_TRUE(onScreen()) << menu().geometry().x() << ", " << menu().geometry().y();
    show(tasksNamed(30, LightState::working)); // every row retitled, and their icons pulse
    delegate->advanceLampAnimation();
    EXPECT_TRUE(onScreen()) << menu().geometry().x() << ", " << menu().geometry().y();
    const auto& rows = delegate->taskMenuRows;
    EXPECT_GT(menu().actionGeometry(rows.back().title).bottom(), menu().height()); // reached by scrolling
    EXPECT_EQ(menu().actionGeometry(rows.back().title).left(),
              menu().actionGeometry(rows.front().title).left());
    closeMenu();
}

TEST_F(TaskMenu, RowsAreSortedByUrgencyThenByTheirLastChange) {
    launch();
    auto waiting = claudeTask(1, "Waiting", LightState::waiting, minutesAgo(3));
    waiting.confirmedAttentionPending = true;
    show({
        claudeTask(2, "Working", LightState::working, minutesAgo(0.5)),
        claudeTask(3, "Unread", LightState::unread, minutesAgo(30)),
        claudeTask(4, "Failed newer", LightState::failed, minutesAgo(1)), waiting,
        claudeTask(5, "Failed older", LightState::failed, minutesAgo(2)),
        localTask(6, "Unknown", LightState::working, minutesAgo(10)), // stale: unknown
    });
    EXPECT_EQ(shownTitles(),
              (QStringList{"Waiting", "Failed newer", "Failed older", "Unknown", "Unread", "Working"}));
}

TEST_F(TaskMenu, TheActivityWindowLeavesOutOlderTasksButNotConfirmedQuestions) {
    launch("[General]\nactivityWindowHours=1\n");
    auto question = claudeTask(1, "Old question", LightState::waiting, minutesAgo(300));
    question.confirmedAttentionPending = true;
    show({question, claudeTask(2, "Old done", LightState::done, minutesAgo(90)),
          claudeTask(3, "Recent", LightState::done, minutesAgo(10))});
    EXPECT_EQ(shownTitles(), (QStringList{"Old question", "Recent"}));
}

TEST_F(TaskMenu, ARowShowsItsImageDetailAndTooltip) {
    launch();
    auto task = codexTask(1, "Ship it", LightState::working, minutesAgo(1));
    task.projectName = "quorvel";
    show({task});
    const auto& row = delegate->taskMenuRows.at(0);
    EXPECT_EQ(row.title->text(), "Ship it");
    EXPECT_TRUE(row.title->isEnabled());
    EXPECT_EQ(row.title->toolTip(), "Ship it");
    EXPECT_EQ(row.title->data().value<TaskStatus>(), task);
    ASSERT_TRUE(TaskMenuStyle::rowPixmap(row.title->icon()));
    EXPECT_FALSE(TaskMenuStyle::trailingPixmap(row.title->icon()));
    EXPECT_EQ(row.detail->text(), QStringLiteral("\u2068quorvel\u2069 \u00B7 Working"));
    EXPECT_FALSE(row.detail->isEnabled());
    EXPECT_FALSE(row.detail->toolTip().startsWith("Orca"));    // no tooltip of its own
    ASSERT_TRUE(TaskMenuStyle::rowPixmap(row.detail->icon())); // blank: lines the detail up with the title
    EXPECT_EQ(TaskMenuStyle::rowPixmap(row.detail->icon())->toImage().pixelColor(30, 9).alpha(), 0);
    ASSERT_EQ(delegate->workingMenuItems.size(), 1u);
    EXPECT_EQ(delegate->workingMenuItems[0].item, row.title);
    EXPECT_EQ(delegate->workingMenuItems[0].provider, TaskProvider::codex);
}

// Assistive tools read a row's text, and its image as its description.
TEST_F(TaskMenu, RowImagesAreDescribedToAssistiveTools) {
    launch();
    auto noLink = claudeTask(2, "No link", LightState::failed, minutesAgo(2));
    noLink.providerSessionID.reset();
    show({codexTask(1, "Fix & ship", LightState::unread, minutesAgo(1)), noLink,
          testing::inOrca(claudeTask(3, "In Orca", LightState::working, minutesAgo(1)), minutesAgo(1))});
    QAccessibleInterface* menuItems = QAccessible::queryAccessibleInterface(&menu());
    ASSERT_TRUE(menuItems);
    const auto rowItem = [&](int row) {
        return menuItems->child(int(menu().actions().indexOf(delegate->taskMenuRows[row].title)));
    };
    QAccessibleInterface* unread = rowItem(1);
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->role(), QAccessible::MenuItem);
    EXPECT_EQ(unread->text(QAccessible::Name), "Fix & ship");
    EXPECT_EQ(unread->text(QAccessible::Description), "Codex, Finished \u00B7 unread");
    EXPECT_EQ(unread->parent()->object(), &menu());
    EXPECT_FALSE(unread->state().disabled);
    EXPECT_EQ(rowItem(0)->text(QAccessible::Description), "Claude, Failed");
    EXPECT_TRUE(rowItem(0)->state().disabled);
    EXPECT_EQ(rowItem(2)->text(QAccessible::Description), "Orca, Working");

    show({codexTask(1, "Fix & ship", LightState::working, now())});
    EXPECT_EQ(rowItem(0)->text(QAccessible::Description), "Codex, Working");
    EXPECT_TRUE(rowItem(1)->state().invisible);

    // Pressing the row is choosing it.
    QAccessibleActionInterface* press = rowItem(0)->actionInterface();
    ASSERT_TRUE(press);
    EXPECT_EQ(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    press->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(harness.workspace->openedURLs.size(), 1);
}

TEST_F(TaskMenu, UnreadRowsTellWhereToReadAndOrcaRowsNameTheirProvider) {
    launch();
    const auto orca =
        testing::inOrca(claudeTask(1, "In Orca", LightState::unread, minutesAgo(2)), minutesAgo(2));
    show({orca, codexTask(2, "Codex unread", LightState::unread, minutesAgo(3)),
          localTask(3, "Local unread", LightState::done, minutesAgo(4))});
    const auto& rows = delegate->taskMenuRows;
    EXPECT_EQ(rows[0].title->toolTip(), "Open the response in Orca to turn this green");
    EXPECT_EQ(rows[1].title->toolTip(), "Open the response in Codex to turn this green");
    EXPECT_EQ(rows[2].title->toolTip(), "Open the response in Quorvel to turn this green");
    EXPECT_TRUE(rows[0].detail->text().endsWith(" \u00B7 Orca"));
    EXPECT_EQ(rows[0].detail->toolTip(), "Orca \u00B7 Claude");
    EXPECT_TRUE(TaskMenuStyle::trailingPixmap(rows[0].detail->icon()));
    EXPECT_FALSE(TaskMenuStyle::trailingPixmap(rows[1].detail->icon()));
}

TEST_F(TaskMenu, ATaskWithoutAnOpenDestinationOrAnythingToMarkIsListedButCannotBeChosen) {
    launch();
    auto noLink = claudeTask(1, "No desktop session", LightState::done, minutesAgo(1));
    noLink.providerSessionID.reset();
    delegate->readState.claude.markRead(noLink, now()); // read already: choosing it has nothing to do
    show({noLink, localTask(2, "Local", LightState::working, minutesAgo(1)),
          localTask(3, "Local finished", LightState::done, minutesAgo(1))});
    for (int index : {0, 1, 2}) {
        EXPECT_TRUE(delegate->taskMenuRows[index].title->isVisible());
        EXPECT_FALSE(delegate->taskMenuRows[index].title->isEnabled());
    }
    delegate->taskMenuRows[0].title->trigger();
    EXPECT_TRUE(harness.workspace->openedURLs.isEmpty());
}

TEST_F(TaskMenu, AnUnreadTaskNothingHereCanOpenIsChosenToMarkItRead) {
    launch();
    const QString marks = "Choose this task to mark the response read and turn it green";
    harness.workspace->handlers["codex"] = false;
    auto terminal = claudeTask(1, "From a terminal", LightState::done, minutesAgo(1));
    terminal.providerSessionID.reset();
    auto orca = testing::inOrca(codexTask(5, "In Orca", LightState::done, minutesAgo(5)), minutesAgo(5));
    show({terminal, codexTask(2, "Codex, no handler", LightState::done, minutesAgo(2)),
          localTask(3, "Local", LightState::done, minutesAgo(3)), orca});
    const auto& rows = delegate->taskMenuRows;
    EXPECT_EQ(shownTitles(), (QStringList{"From a terminal", "Codex, no handler", "Local", "In Orca"}));
    EXPECT_TRUE(rows[0].title->isEnabled());
    EXPECT_EQ(rows[0].title->toolTip(), marks);
    EXPECT_TRUE(rows[1].title->isEnabled());
    EXPECT_EQ(rows[1].title->toolTip(), marks);
    EXPECT_FALSE(rows[2].title->isEnabled()); // a local record is never read
    EXPECT_EQ(rows[2].title->toolTip(), "Open the response in Quorvel to turn this green");
    EXPECT_EQ(rows[3].title->toolTip(), "Open the response in Orca to turn this green");
}

TEST_F(TaskMenu, WhereTheCodexAppsFlagsOrAHandlerDecideTheRowKeepsItsOpeningText) {
    launch();
    const auto flagged = codexTask(1, "Flagged by the desktop app", LightState::done, minutesAgo(1));
    const auto handled = codexTask(2, "Opened by a handler", LightState::done, minutesAgo(2));
    delegate->readState.codex.unread = std::set<std::string>{*flagged.codexThreadID()};
    harness.workspace->handlers["codex"] = false;
    show({flagged});
    EXPECT_EQ(delegate->taskMenuRows[0].title->toolTip(), "Open the response in Codex to turn this green");

    delegate->readState.codex.unread.reset();
    harness.workspace->handlers["codex"] = true;
    show({handled});
    EXPECT_EQ(delegate->taskMenuRows[0].title->toolTip(), "Open the response in Codex to turn this green");
    harness.workspace->handlers["codex"] = std::nullopt; // not known yet: as before
    show({handled});
    EXPECT_EQ(delegate->taskMenuRows[0].title->toolTip(), "Open the response in Codex to turn this green");
    EXPECT_FALSE(harness.workspace->handlerQueries.isEmpty());
}

TEST_F(TaskMenu, AHandlerThatComesOrGoesRedrawsTheRows) {
    launch();
    show({codexTask(1, "Answer", LightState::done, minutesAgo(1))});
    QAction* row = delegate->taskMenuRows[0].title;
    EXPECT_EQ(row->toolTip(), "Open the response in Codex to turn this green");
    harness.workspace->answerHandler("codex", false);
    EXPECT_EQ(delegate->taskMenuRows[0].title->toolTip(),
              "Choose this task to mark the response read and turn it green");
    harness.workspace->answerHandler("codex", true);
    EXPECT_EQ(delegate->taskMenuRows[0].title->toolTip(), "Open the response in Codex to turn this green");
}

TEST_F(TaskMenu, OnlyUnreadRowsAskForAHandler) {
    launch();
    delegate->readState.codex.unread = std::set<std::string>{};
    show({codexTask(1, "Read", LightState::done, minutesAgo(1)),
          codexTask(2, "Working", LightState::working, minutesAgo(1))});
    EXPECT_TRUE(harness.workspace->handlerQueries.isEmpty());
}

TEST_F(TaskMenu, NamesShowAsPlainTextCutToNinetyCharacters) {
    launch();
    const std::string longName(10'000, 'x');
    const std::string markup = "<b>bold</b> & <a href=\"x\">link</a>";
    auto huge = claudeTask(1, "", LightState::failed, minutesAgo(1));
    huge.name = longName;
    show({huge, claudeTask(2, markup, LightState::failed, minutesAgo(2)),
          claudeTask(3, "Tom & Jerry", LightState::failed, minutesAgo(3)),
          claudeTask(4, "first\nsecond\tthird\r\n", LightState::failed, minutesAgo(4)),
          claudeTask(5, "\u202Ereversed\u200F \u05E9\u05DC\u05D5\u05DD", LightState::failed, minutesAgo(5)),
          claudeTask(6, std::string(100, 'e') + "\u0301", LightState::failed, minutesAgo(6))});
    const auto& rows = delegate->taskMenuRows;
    EXPECT_EQ(rows[0].title->text(), QString(90, u'x'));
    EXPECT_EQ(rows[0].title->toolTip(), QString::fromStdString(longName));
    EXPECT_EQ(rows[1].title->text(), "<b>bold</b> && <a href=\"x\">link</a>");
    QTextDocument shown;
    shown.setHtml(rows[1].title->toolTip());
    EXPECT_EQ(shown.toPlainText(), QString::fromStdString(markup)); // a tooltip shows the markup as text
    EXPECT_EQ(rows[2].title->text(), "Tom && Jerry");
    EXPECT_EQ(rows[3].title->text(), "first second third  ");
    EXPECT_EQ(rows[4].title->text(), "\u202Ereversed\u200F \u05E9\u05DC\u05D5\u05DD");
    EXPECT_EQ(rows[5].title->text(),
              QString(89, u'e') + QStringLiteral("e")); // 90 characters, not 90 code points
}

// Outside texts: the task's name, its project in the detail line, the version of an update.
TEST_F(TaskMenu, UnderscoresAreDoubledOnlyWhereADBusHostDrawsTheMenu) {
    for (const bool exported : {false, true}) {
        AppHarness each;
        each.trayExportsMenu = exported;
        each.writeSettings("[General]\nclaudeIntegrationEnabled=true\n");
        auto& launched = each.launch();
        auto task = claudeTask(1, "fix_bug", LightState::failed, each.clock->current - 60);
        task.projectName = "my_app";
        launched.updaterDidFindValidUpdate("2.0_beta");
        // The first menu, built before any refresh, already has the host's texts.
        EXPECT_EQ(launched.updateMenuItem->text(), exported ? "Update available \u2014 v2.0__beta\u2026"
                                                            : "Update available \u2014 v2.0_beta\u2026");
        each.answerRefresh({task, claudeTask(2, "R&D_notes", LightState::failed, each.clock->current - 120)});
        const auto& rows = launched.taskMenuRows;
        EXPECT_EQ(rows[0].title->text(), exported ? "fix__bug" : "fix_bug");
        EXPECT_EQ(rows[0].detail->text(),
                  exported ? "\u2068my__app\u2069 \u00B7 Failed" : "\u2068my_app\u2069 \u00B7 Failed");
        EXPECT_EQ(rows[1].title->text(), exported ? "R&&D__notes" : "R&&D_notes");
        EXPECT_EQ(rows[0].title->toolTip(), "fix_bug"); // tooltips are not menu texts
    }
}

// The menu is never replaced, so no event can reach a menu that is gone: an open menu changes its rows in
// place, and once it has closed the rest follows (here the diagnostic line).
TEST_F(TaskMenu, AnOpenMenuIsUpdatedInPlaceAndTheRestFollowsWhenItCloses) {
    launch();
    show({claudeTask(1, "First", LightState::done, minutesAgo(2))});
    QMenu* open = delegate->menu();
    open->popup(QPoint(10, 10));
    ASSERT_TRUE(delegate->menuIsOpen);
    show({claudeTask(1, "First", LightState::done, minutesAgo(2)),
          claudeTask(2, "Second", LightState::waiting, minutesAgo(1))},
         "Could not read Codex attention signals.");
    EXPECT_EQ(delegate->menu(), open);
    EXPECT_EQ(shownTitles(), (QStringList{"Second", "First"}));
    EXPECT_FALSE(delegate->emptyStateMenuItem->isVisible());
    EXPECT_FALSE(visibleItemTexts(menu()).contains("Could not read Codex attention signals."));

    show({}, "Could not read Codex attention signals.");
    EXPECT_TRUE(delegate->emptyStateMenuItem->isVisible());
    EXPECT_TRUE(shownTitles().isEmpty());

    open->hide();
    EXPECT_FALSE(delegate->menuIsOpen);
    EXPECT_EQ(visibleItemTexts(menu()).at(2), "No recent Codex or Claude tasks or local signals.");
    QCoreApplication::processEvents(); // the chosen action, if any, comes after the menu hid
    EXPECT_EQ(visibleItemTexts(menu()).at(2), "Could not read Codex attention signals.");
    EXPECT_EQ(delegate->menu(), open);
    EXPECT_EQ(harness.item->menu, open);
}

TEST_F(TaskMenu, ARowChosenAsTheMenuClosesStillOpensItsTask) {
    launch();
    show({claudeTask(1, "Pick me", LightState::done, minutesAgo(2))});
    delegate->menu()->popup(QPoint(10, 10));
    QAction* row = delegate->taskMenuRows[0].title;
    delegate->menu()->hide(); // Qt hides the menu, then delivers the chosen action
    row->trigger();
    EXPECT_EQ(harness.workspace->openedURLs.size(), 1);
    QCoreApplication::processEvents();
}

TEST_F(TaskMenu, ChoosingAnActivityWindowStoresItsHours) {
    launch("[General]\nactivityWindowHours=3\n");
    show({claudeTask(1, "Ninety minutes ago", LightState::done, minutesAgo(90))});
    EXPECT_EQ(shownTitles().size(), 1);
    QMenu* windows = submenu("Show active chats from");
    windows->actions().at(0)->trigger(); // Last hour
    EXPECT_EQ(delegate->activityWindow, ActivityWindow::hour);
    EXPECT_TRUE(shownTitles().isEmpty());
    windows = submenu("Show active chats from");
    windows->actions().at(2)->trigger(); // Last 4 hours
    EXPECT_EQ(SettingsStore(harness.settingsFile()).integer("activityWindowHours"), 4);
    EXPECT_EQ(shownTitles().size(), 1);

    delegate->changeActivityWindow(QVariant(3));
    EXPECT_EQ(delegate->activityWindow, ActivityWindow::day);
    EXPECT_EQ(SettingsStore(harness.settingsFile()).integer("activityWindowHours"), 24);
    delegate->changeActivityWindow(QVariant(QStringLiteral("1")));
    delegate->changeActivityWindow(QVariant());
    EXPECT_EQ(delegate->activityWindow, ActivityWindow::day);
}

TEST_F(TaskMenu, PlaySoundsFlipsAndIsStored) {
    launch();
    show({});
    submenu("Sounds")->actions().at(0)->trigger();
    EXPECT_FALSE(delegate->soundsEnabled);
    EXPECT_EQ(SettingsStore(harness.settingsFile()).boolean("soundsEnabled"), false);
    EXPECT_FALSE(submenu("Sounds")->actions().at(0)->isChecked());
    delegate->toggleSounds();
    EXPECT_TRUE(delegate->soundsEnabled);
    EXPECT_TRUE(submenu("Sounds")->actions().at(0)->isChecked());
}

TEST_F(TaskMenu, TheUpdateItemShowsTheVersionTheUpdaterFound) {
    launch();
    show({});
    delegate->updaterDidFindValidUpdate("2.0 & up");
    EXPECT_TRUE(delegate->updateMenuItem->isVisible());
    EXPECT_EQ(delegate->updateMenuItem->text(), "Update available \u2014 v2.0 && up\u2026");
    EXPECT_FALSE(delegate->updateMenuItem->icon().isNull());
    show({});
    EXPECT_TRUE(delegate->updateMenuItem->isVisible()); // a rebuilt menu keeps it
    EXPECT_EQ(visibleItemTexts(menu()).at(1), "Update available \u2014 v2.0 && up\u2026");
    delegate->updaterDidNotFindUpdate();
    EXPECT_FALSE(delegate->updateMenuItem->isVisible());
}

TEST(AppVersionDescription, NamesTheVersionAndTheCommitWhenKnown) {
    AppHarness harness;
    auto& delegate = harness.create();
    EXPECT_EQ(delegate.appVersionDescription(), "v1.4.2 (abc1234)");
    delegate.platform().buildInfo.commitHash = QString();
    EXPECT_EQ(delegate.appVersionDescription(), "v1.4.2");
    delegate.platform().buildInfo.commitHash.reset();
    delegate.platform().buildInfo.shortVersion.reset();
    EXPECT_EQ(delegate.appVersionDescription(), "vDevelopment");
}

// A second start shows the menu where the tray lets it be placed, and the settings where not.
TEST_F(TaskMenu, TheShortcutAndASecondStartRedrawAndShowTheMenu) {
    launch();
    show({});
    harness.delegate->tasks = {claudeTask(1, "Fresh", LightState::waiting, minutesAgo(1))};
    harness.hotKeys->press();
    EXPECT_TRUE(delegate->menu()->isVisible());
    EXPECT_EQ(shownTitles(), QStringList{"Fresh"});
    closeMenu();

    harness.delegate->tasks = {claudeTask(2, "Fresher", LightState::waiting, minutesAgo(1))};
    delegate->showFromSecondStart();
    EXPECT_TRUE(menu().isVisible());
    EXPECT_TRUE(menu().geometry().contains(*harness.menuPlace));
    EXPECT_EQ(shownTitles(), QStringList{"Fresher"});
    closeMenu();
    harness.menuPlace.reset();
    delegate->showFromSecondStart();
    EXPECT_FALSE(menu().isVisible());
    EXPECT_EQ(delegate->settingsShown, 1);
}

TEST_F(TaskMenu, ALeftClickOnTheTrayIconShowsTheMenu) {
    launch();
    show({});
    ASSERT_TRUE(harness.item->click);
    harness.item->click();
    EXPECT_TRUE(delegate->menu()->isVisible());
    closeMenu();
}

} // namespace
} // namespace quorvel
