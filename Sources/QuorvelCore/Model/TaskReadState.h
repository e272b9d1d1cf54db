#pragma once

#include "Claude/ClaudeReadState.h"
#include "Codex/CodexAutomationReadState.h"
#include "Codex/CodexReadMarks.h"
#include "Codex/CodexReadState.h"
#include "Model/TaskStatus.h"
#include "Orca/OrcaReadState.h"

#include <filesystem>
#include <optional>

namespace quorvel {

// The read states together; each task is judged by exactly one of them.
class TaskReadState {
public:
    CodexReadState codex;
    CodexAutomationReadState codexAutomations;
    OrcaReadState orca;
    ClaudeReadState claude;
    // Judges unscheduled Codex tasks in place of `codex` while its flags are unknown.
    CodexReadMarks codexMarks;

    // The read states whose marks Quorvel sets itself when a task is chosen, each kept in its own file.
    enum class OwnMarks { claude, codexAutomations, codexMarks };

    TaskReadState() = default;
    TaskReadState(CodexReadState codex, CodexAutomationReadState codexAutomations, ClaudeReadState claude,
                  OrcaReadState orca, CodexReadMarks codexMarks = {})
        : codex(std::move(codex)), codexAutomations(std::move(codexAutomations)), orca(std::move(orca)),
          claude(std::move(claude)), codexMarks(std::move(codexMarks)) {}

    // Whether the task's finished response counts as read: Orca tasks by the Orca marks, local records
    // never, the others by their provider's read state.
    bool hasRead(const TaskStatus& task) const;

    // The read state of Quorvel's own that hasRead consults for the task and that can hold a mark for
    // it. None for Orca tasks (marked by opening them in Orca), local records, tasks without a session
    // or thread id, and unscheduled Codex tasks while the desktop app's flags are known.
    std::optional<OwnMarks> ownMarks(const TaskStatus& task) const;
    // Marks the task read at `at` in that read state and says which one it was; none when there is none.
    std::optional<OwnMarks> markRead(const TaskStatus& task, Date at);
    // Writes that read state to its file in the home folder; throws as the read state's save does.
    void save(OwnMarks marks, const std::filesystem::path& home, Date now) const;
};

} // namespace quorvel
