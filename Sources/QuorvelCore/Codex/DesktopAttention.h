#pragma once

#include "Model/TaskStatus.h"
#include "Support/Date.h"
#include "Support/DirectoryListingCache.h"
#include "Support/FileIO.h"
#include "Support/FileResultCache.h"

#include <filesystem>
#include <map>
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

// The requests still open: for each thread (as the records write it), the date of its newest one.
using OpenRequests = std::map<std::string, Date, std::less<>>;

// What the last refresh read from the log files, kept while the files keep their versions.
struct Cache {
    struct Summary {
        std::vector<std::pair<std::string, FileKey>> files;
        Date newestRecord;
        OpenRequests open;
    };
    DirectoryListingCache listings;
    FileResultCache<std::vector<Record>> logs;
    std::optional<Summary> summary;

    void beginPass(Date readMoment, FileStatusCache* files = nullptr) {
        listings.beginPass(readMoment, files);
        logs.beginPass(readMoment, files);
    }
    void endPass() {
        listings.endPass();
        logs.endPass();
    }
};

// The records of yesterday's and today's (UTC) log files of the newest scope, newest file first.
// Throws std::system_error when a day folder cannot be listed or a chosen file cannot be read.
// With a cache, log files whose version is unchanged since the cache saw them are not read again.
std::vector<Record> load(const std::filesystem::path& directory, Date now, Cache* cache = nullptr);

// The requests of those records still open at `now`: openRequests(load(directory, now), now), taken from
// the cache while the files are unchanged and none of their records is dated after `now`.
OpenRequests loadOpenRequests(const std::filesystem::path& directory, Date now, Cache* cache = nullptr);

// The records of whole log lines, in line order. Never fails.
std::vector<Record> parse(std::string_view bytes);

// The requests opened and not answered, taking the records in date order and leaving out those dated
// after `now`.
OpenRequests openRequests(const std::vector<Record>& records, Date now);

// Marks every Codex history task whose thread has a request still open (and newer than the task's
// last turn boundary) as waiting with confirmed attention. Order and other tasks are kept.
std::vector<TaskStatus> applying(const std::vector<Record>& records, std::vector<TaskStatus> tasks, Date now);
std::vector<TaskStatus> applying(const OpenRequests& open, std::vector<TaskStatus> tasks);

} // namespace quorvel::DesktopAttention
