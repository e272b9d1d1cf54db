#pragma once

#include "Model/TaskStatus.h"
#include "Support/Date.h"

#include <optional>
#include <vector>

namespace quorvel {

class TaskReadState;

namespace ClaudeFocusedCompletion {

// The Claude Code task that the Claude desktop app focused last, outside Orca, when it shows unread at
// `now`; nothing otherwise. Of equally recent focus times the first in the list counts.
std::optional<TaskStatus> unreadCandidate(const std::vector<TaskStatus>& tasks,
                                          const TaskReadState& readState, Date now);

} // namespace ClaudeFocusedCompletion
} // namespace quorvel
