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
        if (task.isScheduled == true)
            return codexAutomations.hasRead(task);
        return codex.unread ? codex.hasRead(task) : codexMarks.hasRead(task);
    }
    return false;
}

std::optional<TaskReadState::OwnMarks> TaskReadState::ownMarks(const TaskStatus& task) const {
    if (task.isOrcaTask())
        return std::nullopt;
    switch (task.provider()) {
    case TaskProvider::local:
        return std::nullopt;
    case TaskProvider::claude:
        return task.claudeSessionID() ? std::optional(OwnMarks::claude) : std::nullopt;
    case TaskProvider::codex:
        if (!task.codexThreadID())
            return std::nullopt;
        if (task.isScheduled == true)
            return OwnMarks::codexAutomations;
        return codex.unread ? std::nullopt : std::optional(OwnMarks::codexMarks);
    }
    return std::nullopt;
}

std::optional<TaskReadState::OwnMarks> TaskReadState::markRead(const TaskStatus& task, Date at) {
    const auto marks = ownMarks(task);
    if (!marks)
        return std::nullopt;
    switch (*marks) {
    case OwnMarks::claude:
        claude.markRead(task, at);
        break;
    case OwnMarks::codexAutomations:
        codexAutomations.markRead(task, at);
        break;
    case OwnMarks::codexMarks:
        codexMarks.markRead(task, at);
        break;
    }
    return marks;
}

void TaskReadState::save(OwnMarks marks, const std::filesystem::path& home, Date now) const {
    switch (marks) {
    case OwnMarks::claude:
        claude.save(ClaudeReadState::defaultURL(home), now);
        return;
    case OwnMarks::codexAutomations:
        codexAutomations.save(CodexAutomationReadState::defaultURL(home), now);
        return;
    case OwnMarks::codexMarks:
        codexMarks.save(CodexReadMarks::defaultURL(home), now);
        return;
    }
}

} // namespace quorvel
