#include "Model/ActivityWindow.h"
#include "Model/TaskReadState.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const Date now{800'000'000};

TEST(ActivityWindowTests, StoredHoursAndLabels) {
    EXPECT_EQ(ActivityWindows::saved(1), ActivityWindow::hour);
    EXPECT_EQ(ActivityWindows::saved(2), ActivityWindow::twoHours);
    EXPECT_EQ(ActivityWindows::saved(4), ActivityWindow::fourHours);
    for (int hours : {24, 0, 3, -1, 48})
        EXPECT_EQ(ActivityWindows::saved(hours), ActivityWindow::day) << hours;

    EXPECT_EQ(ActivityWindows::fromRawValue(24), ActivityWindow::day);
    EXPECT_EQ(ActivityWindows::fromRawValue(0), std::nullopt);
    EXPECT_EQ(ActivityWindows::fromRawValue(3), std::nullopt);

    std::vector<std::string_view> labels;
    for (auto window : ActivityWindows::allCases)
        labels.push_back(ActivityWindows::label(window));
    EXPECT_EQ(labels,
              (std::vector<std::string_view>{"Last hour", "Last 2 hours", "Last 4 hours", "Last day"}));
    EXPECT_EQ(ActivityWindows::duration(ActivityWindow::fourHours), 14400);
}

TEST(ActivityWindowTests, ContainsFromSixtySecondsAheadToTheWindowsLength) {
    auto hour = ActivityWindow::hour;
    EXPECT_TRUE(ActivityWindows::contains(hour, now - 3599, now));
    EXPECT_FALSE(ActivityWindows::contains(hour, now - 3600, now));
    EXPECT_TRUE(ActivityWindows::contains(hour, now + 60, now));
    EXPECT_FALSE(ActivityWindows::contains(hour, now + 61, now));
    EXPECT_TRUE(ActivityWindows::contains(ActivityWindow::day, now - 86399, now));
}

TEST(ActivityWindowTests, ConfirmedWaitsStayListedOutsideTheWindow) {
    auto task = TaskStatus::make("local-1", "task", LightState::waiting, now - 7 * 86400,
                                 std::string(localStatusSource));
    task.confirmedAttentionPending = true;
    for (auto window : ActivityWindows::allCases)
        EXPECT_TRUE(ActivityWindows::includes(window, task, now, TaskReadState{}));

    task.confirmedAttentionPending = false;
    EXPECT_FALSE(ActivityWindows::includes(ActivityWindow::day, task, now, TaskReadState{}));
    task.updatedAt = now - 3000;
    EXPECT_TRUE(ActivityWindows::includes(ActivityWindow::hour, task, now, TaskReadState{}));
    EXPECT_FALSE(ActivityWindows::includes(ActivityWindow::hour, task, now + 601, TaskReadState{}));

    // The flag alone does not list a task that no longer shows waiting.
    task.confirmedAttentionPending = true;
    task.state = LightState::done;
    task.updatedAt = now - 2 * 86400;
    EXPECT_FALSE(ActivityWindows::includes(ActivityWindow::day, task, now, TaskReadState{}));
}

} // namespace
} // namespace quorvel
