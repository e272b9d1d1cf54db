#pragma once

#include "Model/TaskStatus.h"
#include "Support/Date.h"
#include "Support/FileIO.h"
#include "Support/FileResultCache.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Approval requests and questions that the Codex desktop app shows, read from its own log files.
namespace quorvel::DesktopAttention {

// One request event of a log line: opened (with the asking thread) or answered (no thread).
struct Record {
    Date date;
    std::string requestID;
    std::string method;
    std::optional<std::string> threadID;

    bool operator==(const Record&) const = default;
};

// "Library/Logs/com.openai.codex" in the current user's home folder.
std::filesystem::path defaultDirectory(const std::filesystem::path& home = FileIO::homeDirectory());

// The records of yesterday's and today's (UTC) log files of the newest scope, newest file first.
// Throws std::system_error when a day folder cannot be listed or a chosen file cannot be read.
// With a cache, log files whose version is unchanged since the cache saw them are not read again.
struct Cache {
    FileResultCache<std::vector<Record>> logs;

    void beginPass() { logs.beginPass(); }
    void endPass() { logs.endPass(); }
};
std::vector<Record> load(const std::filesystem::path& directory, Date now, Cache* cache = nullptr);

// The records of whole log lines, in line order. Never fails.
std::vector<Record> parse(std::string_view bytes);

// Marks every Codex history task whose thread has a request still open (and newer than the task's
// last turn boundary) as waiting with confirmed attention. Order and other tasks are kept.
std::vector<TaskStatus> applying(const std::vector<Record>& records, std::vector<TaskStatus> tasks, Date now);

} // namespace quorvel::DesktopAttention
