#include "Model/ActivityWindow.h"

#include "Model/TaskReadState.h"
#include "Model/TaskStatus.h"

namespace quorvel::ActivityWindows {

int rawValue(ActivityWindow window) {
    return static_cast<int>(window);
}

std::optional<ActivityWindow> fromRawValue(int hours) {
    for (auto window : allCases) {
        if (rawValue(window) == hours)
            return window;
    }
    return std::nullopt;
}

ActivityWindow saved(int hours) {
    auto window = fromRawValue(hours);
    return window ? *window : ActivityWindow::day;
}

std::string_view label(ActivityWindow window) {
    switch (window) {
    case ActivityWindow::hour:
        return "Last hour";
    case ActivityWindow::twoHours:
        return "Last 2 hours";
    case ActivityWindow::fourHours:
        return "Last 4 hours";
    case ActivityWindow::day:
        return "Last day";
    }
    return "Last day";
}

double duration(ActivityWindow window) {
    return rawValue(window) * 3600.0;
}

bool contains(ActivityWindow window, Date date, Date now) {
    double age = now - date;
    return age >= -60 && age < duration(window);
}

bool includes(ActivityWindow window, const TaskStatus& task, Date now, const TaskReadState& readState) {
    if (task.confirmedAttentionPending == true && task.visibleState(now, readState) == LightState::waiting)
        return true;
    return contains(window, task.updatedAt, now);
}

} // namespace quorvel::ActivityWindows
