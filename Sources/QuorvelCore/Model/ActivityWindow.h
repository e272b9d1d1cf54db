#pragma once

#include "Support/Date.h"

#include <array>
#include <optional>
#include <string_view>

namespace quorvel {

struct TaskStatus;
class TaskReadState;

// How far back the task menu lists tasks; the value is the number of hours.
enum class ActivityWindow { hour = 1, twoHours = 2, fourHours = 4, day = 24 };

namespace ActivityWindows {
inline constexpr std::array<ActivityWindow, 4> allCases{ActivityWindow::hour, ActivityWindow::twoHours,
                                                        ActivityWindow::fourHours, ActivityWindow::day};

int rawValue(ActivityWindow window);
// 1, 2, 4 or 24 exactly.
std::optional<ActivityWindow> fromRawValue(int hours);
// The window for a stored hours value: every value but 1, 2 and 4 gives the day.
ActivityWindow saved(int hours);
std::string_view label(ActivityWindow window);
double duration(ActivityWindow window);

// A date at most 60 s in the future and younger than the window.
bool contains(ActivityWindow window, Date date, Date now);
// Tasks waiting for a confirmed answer stay listed however old they are.
bool includes(ActivityWindow window, const TaskStatus& task, Date now, const TaskReadState& readState);
} // namespace ActivityWindows

} // namespace quorvel
