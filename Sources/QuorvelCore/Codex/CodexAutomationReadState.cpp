#include "Codex/CodexAutomationReadState.h"

#include "Support/FileIO.h"
#include "Support/Locations.h"
#include "Support/ReadMarkFile.h"

namespace quorvel {
namespace {

std::optional<std::string> scheduledThreadID(const TaskStatus& task) {
    if (task.provider() != TaskProvider::codex || task.isScheduled != true)
        return std::nullopt;
    return task.codexThreadID();
}

} // namespace

std::filesystem::path CodexAutomationReadState::defaultURL(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "codex-automation-read-state.json";
}

CodexAutomationReadState CodexAutomationReadState::load(const std::filesystem::path& file) {
    return {ReadMarkFile::load(file)};
}

CodexAutomationReadState CodexAutomationReadState::decode(std::string_view bytes) {
    return {ReadMarkFile::decode(bytes)};
}

void CodexAutomationReadState::save(const std::filesystem::path& file, Date now) const {
    ReadMarkFile::save(file, readAt, now);
}

bool CodexAutomationReadState::hasRead(const TaskStatus& task) const {
    auto key = scheduledThreadID(task);
    return key && ReadMarkFile::covers(readAt, *key, task.updatedAt);
}

void CodexAutomationReadState::markRead(const TaskStatus& task, Date at) {
    if (auto key = scheduledThreadID(task))
        ReadMarkFile::mark(readAt, *key, at, task.updatedAt);
}

} // namespace quorvel
