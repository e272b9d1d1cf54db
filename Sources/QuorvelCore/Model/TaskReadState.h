#pragma once

#include "Claude/ClaudeReadState.h"
#include "Codex/CodexAutomationReadState.h"
#include "Codex/CodexReadState.h"
#include "Model/TaskStatus.h"
#include "Orca/OrcaReadState.h"

namespace quorvel {

// The four read states together; each task is judged by exactly one of them.
class TaskReadState {
public:
    CodexReadState codex;
    CodexAutomationReadState codexAutomations;
    OrcaReadState orca;
    ClaudeReadState claude;

    TaskReadState() = default;
    TaskReadState(CodexReadState codex, CodexAutomationReadState codexAutomations, ClaudeReadState claude,
                  OrcaReadState orca)
        : codex(std::move(codex)), codexAutomations(std::move(codexAutomations)), orca(std::move(orca)),
          claude(std::move(claude)) {}

    // Whether the task's finished response counts as read: Orca tasks by the Orca marks, local records
    // never, the others by their provider's read state.
    bool hasRead(const TaskStatus& task) const;
};

} // namespace quorvel
