#include "Orca/TaskOpenDestination.h"

#include "Model/TaskStatus.h"

namespace quorvel {

std::optional<TaskOpenDestination> openDestination(const TaskStatus& task) {
    if (task.isOrcaTask())
        return TaskOpenDestination::orca(task.id);
    if (std::optional<std::string> url = task.taskURL())
        return TaskOpenDestination::desktop(std::move(*url));
    return std::nullopt;
}

} // namespace quorvel
