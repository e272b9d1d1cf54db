#pragma once

#include "Claude/ClaudeIntegrationHealth.h"
#include "Model/TaskReadState.h"
#include "Model/TaskStatus.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// What one background refresh found: the tasks, its warnings, the read states and the hook health.
struct RefreshSnapshot {
    std::vector<TaskStatus> tasks;
    std::optional<std::string> diagnostic;
    TaskReadState readState;
    ClaudeIntegrationHealth claudeHealth{};
};

} // namespace quorvel
