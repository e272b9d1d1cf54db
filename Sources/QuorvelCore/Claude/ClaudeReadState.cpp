#include "Claude/ClaudeReadState.h"

#include "Support/FileIO.h"
#include "Support/Locations.h"
#include "Support/ReadMarkFile.h"

namespace quorvel {

std::filesystem::path ClaudeReadState::defaultURL(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "claude-read-state.json";
}

ClaudeReadState ClaudeReadState::load(const std::filesystem::path& file) {
    return {ReadMarkFile::load(file)};
}

void ClaudeReadState::save(const std::filesystem::path& file, Date now) const {
    ReadMarkFile::save(file, readAt, now);
}

bool ClaudeReadState::hasRead(const TaskStatus& task) const {
    auto key = task.claudeSessionID();
    return key && ReadMarkFile::covers(readAt, *key, task.updatedAt);
}

void ClaudeReadState::markRead(const TaskStatus& task, Date at) {
    if (auto key = task.claudeSessionID())
        ReadMarkFile::mark(readAt, *key, at, task.updatedAt);
}

} // namespace quorvel
