#pragma once

#include "Model/TaskStatus.h"
#include "Support/Date.h"
#include "Support/FileIO.h"

#include <filesystem>
#include <map>
#include <string>

namespace quorvel {

// The read marks of Claude Code tasks, per Claude session id as written in the task id.
struct ClaudeReadState {
    std::map<std::string, Date> readAt;

    // "claude-read-state.json" in Quorvel's data folder (Locations::quorvelSupport).
    static std::filesystem::path defaultURL(const std::filesystem::path& home = FileIO::homeDirectory());
    // No marks when the file is missing; StatusError::invalidRecord for a link, a non-regular file or one
    // above 1,000,000 bytes; the decoder's and the file system's errors as they come.
    static ClaudeReadState load(const std::filesystem::path& file);
    // A file already there that does not load is first kept aside, dated `now` (UnreadableFile).
    void save(const std::filesystem::path& file, Date now) const;

    // A Claude Code task whose mark is at or after its updatedAt.
    bool hasRead(const TaskStatus& task) const;
    // Marks a Claude Code task read up to the later of `at` and its updatedAt, in whole seconds.
    void markRead(const TaskStatus& task, Date at);

    bool operator==(const ClaudeReadState&) const = default;
};

} // namespace quorvel
