#pragma once

#include <optional>
#include <string>

namespace quorvel {

struct TaskStatus;

// Where opening a task goes: a desktop-app link, or the task's Orca pane.
struct TaskOpenDestination {
    enum class Kind { desktop, orca };

    Kind kind = Kind::desktop;
    // The link for desktop; the task id exactly as stored for orca.
    std::string payload;

    static TaskOpenDestination desktop(std::string url) { return {Kind::desktop, std::move(url)}; }
    static TaskOpenDestination orca(std::string taskID) { return {Kind::orca, std::move(taskID)}; }

    bool operator==(const TaskOpenDestination&) const = default;
};

// An Orca task always opens in Orca; otherwise its desktop link, when it has one.
std::optional<TaskOpenDestination> openDestination(const TaskStatus& task);

} // namespace quorvel
