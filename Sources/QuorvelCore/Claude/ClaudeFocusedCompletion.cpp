#include "Claude/ClaudeFocusedCompletion.h"

#include "Model/TaskReadState.h"

namespace quorvel::ClaudeFocusedCompletion {

std::optional<TaskStatus> unreadCandidate(const std::vector<TaskStatus>& tasks,
                                          const TaskReadState& readState, Date now) {
    const TaskStatus* focused = nullptr;
    for (const auto& task : tasks) {
        if (task.provider() != TaskProvider::claude || task.isOrcaTask() ||
            !task.providerSessionLastFocusedAt)
            continue;
        if (!focused || *task.providerSessionLastFocusedAt > *focused->providerSessionLastFocusedAt)
            focused = &task;
    }
    if (!focused || focused->visibleState(now, readState) != LightState::unread)
        return std::nullopt;
    return *focused;
}

} // namespace quorvel::ClaudeFocusedCompletion
