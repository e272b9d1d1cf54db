#include "Model/TaskReadState.h"

namespace quorvel {

bool TaskReadState::hasRead(const TaskStatus& task) const {
    if (task.isOrcaTask())
        return orca.hasRead(task);
    switch (task.provider()) {
    case TaskProvider::local:
        return false;
    case TaskProvider::claude:
        return claude.hasRead(task);
    case TaskProvider::codex:
        return task.isScheduled == true ? codexAutomations.hasRead(task) : codex.hasRead(task);
    }
    return false;
}

} // namespace quorvel
