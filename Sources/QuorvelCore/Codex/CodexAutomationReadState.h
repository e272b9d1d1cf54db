#pragma once

#include "Model/TaskStatus.h"
#include "Support/Date.h"
#include "Support/FileIO.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace quorvel {

// The read marks of scheduled Codex tasks, per lower-case thread id.
struct CodexAutomationReadState {
    std::map<std::string, Date> readAt;

    // "codex-automation-read-state.json" in Quorvel's data folder (Locations::quorvelSupport).
    static std::filesystem::path defaultURL(const std::filesystem::path& home = FileIO::homeDirectory());
    // No marks when the file is missing; StatusError::invalidRecord for a link, a non-regular file or one
    // above 1,000,000 bytes; the decoder's and the file system's errors as they come.
    static CodexAutomationReadState load(const std::filesystem::path& file);
    static CodexAutomationReadState decode(std::string_view bytes);
    // A file already there that does not load is first kept aside, dated `now` (UnreadableFile).
    void save(const std::filesystem::path& file, Date now) const;

    // A scheduled Codex task whose mark is at or after its updatedAt.
    bool hasRead(const TaskStatus& task) const;
    // Marks a scheduled Codex task read up to the later of `at` and its updatedAt, in whole seconds.
    void markRead(const TaskStatus& task, Date at);

    bool operator==(const CodexAutomationReadState&) const = default;
};

} // namespace quorvel
