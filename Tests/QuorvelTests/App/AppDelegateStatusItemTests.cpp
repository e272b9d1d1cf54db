#include "App/LampIcon.h"
#include "Support/AppDelegateTest.h"
#include "Support/DarkPalette.h"
#include "Support/EventLoopWait.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>
#include <numbers>

namespace quorvel {
namespace {

using testing::claudeTask;
using testing::codexTask;

class StatusItem : public testing::AppDelegateTest {
protected:
    void SetUp() override { launch(); }
};

TEST_F(StatusItem, BeforeTheFirstRefreshItShowsOneUnknownEntry) {
    EXPECT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::unknown, 0}}));
    EXPECT_TRUE(harness.item->toolTip.startsWith("Quorvel \u2014 Unknown / disconnected, 0 chats. "));
}

TEST_F(StatusItem, TheTooltipAndLabelSumUpEveryStatus) {
    auto waiting = claudeTask(1, "Waiting", LightState::waiting, minutesAgo(1));
    waiting.confirmedAttentionPending = true;
    harness.answerRefresh({waiting, codexTask(2, "A", LightState::working, minutesAgo(1)),
                           codexTask(3, "B", LightState::working, minutesAgo(1))});
    const QString summary = "Needs your attention, 1 chats; Working, 2 chats";
    EXPECT_EQ(delegate->statusSummary(), summary);
    EXPECT_EQ(harness.item->toolTip,
              QStringLiteral("Quorvel \u2014 ") + summary + QStringLiteral(". Press Alt+Super+L to open."));
    EXPECT_EQ(harness.item->accessibilityLabel, QStringLiteral("Quorvel, ") + summary);
    EXPECT_EQ(harness.item->icon.availableSizes().size(), 6);
}

TEST_F(StatusItem, TasksOutsideTheActivityWindowLightNoLamp) {
    harness.answerRefresh({claudeTask(1, "Old", LightState::failed, minutesAgo(25 * 60)),
                           claudeTask(2, "New", LightState::failed, minutesAgo(1))});
    EXPECT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::failed, 1}}));
}

TEST_F(StatusItem, OnlyFinishedAndReadTasksLeaveTheAnimationStill) {
    auto read = claudeTask(1, "Read", LightState::done, minutesAgo(5));
    delegate->readState.claude.markRead(read, now());
    harness.answerRefresh({read});
    ASSERT_EQ(delegate->menuBarStatuses, (std::vector<MenuBarStatus>{{LightState::done, 1}}));
    const int updates = harness.item->iconUpdates;
    for (int tick = 0; tick < 5; ++tick)
        delegate->advanceLampAnimation();
    EXPECT_EQ(harness.item->iconUpdates, updates);
    EXPECT_EQ(delegate->redPulsePhase, 0);
    EXPECT_EQ(delegate->amberPulsePhase, 0);
    EXPECT_EQ(delegate->bluePulsePhase, 0);
    const QImage lamps = delegate->horizontalLamplinesIcon();
    EXPECT_EQ(lamps.pixelColor(66, 10).alpha(), 255); // green filled
    EXPECT_EQ(lamps.pixelColor(6, 10).alpha(), 0);    // red empty
}

TEST_F(StatusItem, LitLampsPulseAtTheirOwnPaceAndWrapAround) {
    harness.answerRefresh({codexTask(1, "Unread", LightState::unread, minutesAgo(1))});
    const int updates = harness.item->iconUpdates;
    delegate->advanceLampAnimation();
    EXPECT_DOUBLE_EQ(delegate->amberPulsePhase, 0.24);
    EXPECT_DOUBLE_EQ(delegate->redPulsePhase, 0.75);
    EXPECT_DOUBLE_EQ(delegate->bluePulsePhase, 0.12);
    EXPECT_EQ(harness.item->iconUpdates, updates + 1);
    for (int tick = 0; tick < 100; ++tick)
        delegate->advanceLampAnimation();
    for (double phase : {delegate->amberPulsePhase, delegate->redPulsePhase, delegate->bluePulsePhase}) {
        EXPECT_GE(phase, 0);
        EXPECT_LT(phase, 2 * std::numbers::pi);
    }
    EXPECT_NEAR(delegate->redPulsePhase, std::fmod(101 * 0.75, 2 * std::numbers::pi), 1e-9);
}

// In an open menu; a closed one, which nobody sees, catches up as it opens.
TEST_F(StatusItem, WorkingRowsPulseWithTheAmberLampWhileTheMenuIsOpen) {
    harness.answerRefresh({codexTask(1, "Working", LightState::working, minutesAgo(1))});
    ASSERT_EQ(delegate->workingMenuItems.size(), 1u);
    QAction* row = delegate->workingMenuItems[0].item;
    const auto rowImage = [&] { return row->icon().pixmap(QSize(42, 18), 1.0).toImage(); };
    const QImage brightest = rowImage();
    const qint64 closedIcon = row->icon().cacheKey();
    for (int tick = 0; tick < 13; ++tick) // amber phase near pi: the dimmest
        delegate->advanceLampAnimation();
    EXPECT_EQ(row->icon().cacheKey(), closedIcon);

    delegate->menu()->popup(QPoint(10, 10));
    const QImage dimmest = rowImage();
    EXPECT_NE(dimmest, brightest);
    for (int tick = 0; tick < 13; ++tick)
        delegate->advanceLampAnimation();
    EXPECT_NE(rowImage(), dimmest);
    delegate->menu()->hide();
    QCoreApplication::processEvents();
}

// A refresh that changes nothing shown sends the tray and the menu nothing: no icon, tooltip or label
// again, no row icon drawn again, and no animation tick while nothing pulses.
TEST_F(StatusItem, AtRestNothingIsDrawnAgain) {
    std::vector<TaskStatus> finished{claudeTask(1, "Read", LightState::done, minutesAgo(5)),
                                     claudeTask(2, "Also read", LightState::done, minutesAgo(6))};
    for (const auto& task : finished)
        delegate->readState.claude.markRead(task, now());
    harness.answerRefresh(finished);
    const auto& rows = delegate->taskMenuRows;
    const qint64 titleIcon = rows[0].title->icon().cacheKey();
    const qint64 detailIcon = rows[0].detail->icon().cacheKey();
    const qint64 secondIcon = rows[1].title->icon().cacheKey();
    const int icons = harness.item->iconUpdates;
    const int toolTips = harness.item->toolTipUpdates;
    const int labels = harness.item->labelUpdates;
    QMenu* menu = delegate->menu();
    for (int refresh = 0; refresh < 3; ++refresh) {
        harness.clock->current = harness.clock->current + 3;
        harness.refreshWith(finished);
    }
    EXPECT_EQ(harness.item->iconUpdates, icons);
    EXPECT_EQ(harness.item->toolTipUpdates, toolTips);
    EXPECT_EQ(harness.item->labelUpdates, labels);
    EXPECT_EQ(rows[0].title->icon().cacheKey(), titleIcon);
    EXPECT_EQ(rows[0].detail->icon().cacheKey(), detailIcon);
    EXPECT_EQ(delegate->menu(), menu);
    EXPECT_FALSE(delegate->animationTimer->isActive());

    // What changes is drawn: a working task comes first.
    finished.insert(finished.begin(), codexTask(3, "Busy", LightState::working, now()));
    harness.refreshWith(finished);
    EXPECT_EQ(harness.item->iconUpdates, icons + 1);
    EXPECT_EQ(harness.item->toolTipUpdates, toolTips + 1);
    EXPECT_EQ(rows[0].title->text(), "Busy");
    EXPECT_NE(rows[0].title->icon().cacheKey(), titleIcon);
    // Both read Claude tasks move down a row; the rows they move into already show that image.
    EXPECT_EQ(rows[1].title->text(), "Read");
    EXPECT_EQ(rows[1].title->icon().cacheKey(), secondIcon);
}

TEST_F(StatusItem, TheAnimationTimerRunsWhileALampPulsesAndLampsResumeWhereTheyStopped) {
    const auto unread = claudeTask(1, "Unread", LightState::unread, minutesAgo(1));
    harness.answerRefresh({unread});
    EXPECT_TRUE(delegate->animationTimer->isActive());
    for (int tick = 0; tick < 5; ++tick)
        delegate->advanceLampAnimation();
    const double blue = delegate->bluePulsePhase;

    harness.refreshWith({claudeTask(1, "Unread", LightState::unknown, minutesAgo(1))});
    EXPECT_FALSE(delegate->animationTimer->isActive());
    EXPECT_EQ(delegate->bluePulsePhase, blue);

    harness.refreshWith({unread});
    EXPECT_TRUE(delegate->animationTimer->isActive());
    EXPECT_EQ(delegate->bluePulsePhase, blue);
    delegate->advanceLampAnimation();
    EXPECT_DOUBLE_EQ(delegate->bluePulsePhase, blue + 0.12);
}

TEST_F(StatusItem, TimersKeepFiringWhileTheMenuIsOpen) {
    harness.answerRefresh({codexTask(1, "Working", LightState::working, now())});
    QMenu* menu = delegate->menu();
    const int updates = harness.item->iconUpdates;
    const std::size_t refreshes = harness.refresh->starts.size();
    int updatesWhileOpen = 0;
    QTimer::singleShot(3300, menu, [&] {
        updatesWhileOpen = harness.item->iconUpdates - updates;
        menu->close();
    });
    menu->exec(QPoint(10, 10));      // a nested event loop, as while the user looks at the menu
    EXPECT_GE(updatesWhileOpen, 20); // 80 ms animation ticks
    EXPECT_EQ(harness.refresh->starts.size(), refreshes + 1); // the 3 s refresh tick
    QCoreApplication::processEvents();
}

TEST_F(StatusItem, AnAppearanceChangeRedrawsTheLampsAndTheRowsOnce) {
    harness.answerRefresh({codexTask(1, "Done", LightState::done, minutesAgo(1))});
    QMenu* before = delegate->menu();
    const int updates = harness.item->iconUpdates;
    const qint64 rowIcon = delegate->taskMenuRows[0].title->icon().cacheKey();
    {
        const testing::DarkPalette dark; // the palette change, then the theme change
        QEvent themeChange(QEvent::ThemeChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &themeChange);
        QCoreApplication::processEvents();
        EXPECT_EQ(harness.item->iconUpdates, updates + 1);
        EXPECT_NE(delegate->taskMenuRows[0].title->icon().cacheKey(), rowIcon);
        EXPECT_EQ(delegate->menu(), before);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.item->iconUpdates, updates + 2); // and back to light
}

TEST_F(StatusItem, AnAppearanceChangeWhileTheMenuIsOpenUpdatesItsRowsInPlace) {
    harness.answerRefresh({codexTask(1, "Working", LightState::working, now())});
    QMenu* open = delegate->menu();
    open->popup(QPoint(10, 10));
    delegate->tasks.push_back(codexTask(2, "Second", LightState::working, now()));
    delegate->systemAppearanceDidChange();
    EXPECT_EQ(delegate->menu(), open);
    EXPECT_TRUE(delegate->taskMenuRows[1].title->isVisible());
    open->hide();
    QCoreApplication::processEvents();
}

// Some time after the start, and only then, the user is told once when no tray shows the icon.
TEST(TrayCheck, WithoutATrayTheUserIsToldOnceAfterAMomentAndWithOneNever) {
    for (const bool tray : {false, true}) {
        testing::AppHarness harness;
        harness.trayAvailable = tray;
        harness.launch();
        const QStringList& notices = harness.notifier->notices;
        EXPECT_TRUE(notices.isEmpty()) << "told at once";
        testing::waitUntil([&] { return !notices.isEmpty(); }, std::chrono::seconds(1));
        harness.item->tray = false;
        testing::waitUntil([&] { return notices.size() > 1; }, std::chrono::milliseconds(200));
        ASSERT_EQ(notices.size(), tray ? 0 : 1) << "with a tray: " << tray;
        EXPECT_TRUE(tray || notices[0].startsWith("Quorvel is running | This desktop shows no tray icons"));
    }
}

} // namespace
} // namespace quorvel
