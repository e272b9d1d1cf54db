#pragma once

#include "Model/TaskStatus.h"
#include "Support/Date.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <simdjson.h>
#include <string>
#include <string_view>
#include <vector>

// Readers of Codex session histories: one JSON-lines file per thread, appended to as the thread runs.
namespace quorvel::SessionReader {

inline constexpr std::int64_t unlimited = std::numeric_limits<std::int64_t>::max();

// The recent Codex tasks below `home` (a Codex home folder): one per thread whose session file
// changed in the 24 hours before `now`, newest file first, at most `limit` of them. A file moved away
// between the listing and its reading is left out. Throws
// std::system_error when a recent session file cannot be examined or read.
// With a cache, files whose version is unchanged since the cache saw them are not read again.
struct Cache;
std::vector<TaskStatus> load(const std::filesystem::path& home, Date now, std::int64_t limit,
                             Cache* cache = nullptr);

// Runs the history state machine over the lines of `data`. Never fails: lines that do not decode
// are skipped.
TaskStatus parse(std::string_view data, std::string_view id, std::string_view name);

// What a session file's first ("session_meta") line says: the thread id as written, and the folder the
// session runs in when that is an absolute path.
struct SessionMeta {
    std::string id;
    std::optional<std::string> cwd;
    bool operator==(const SessionMeta&) const = default;
};

// Nothing when the first line is not a session_meta line with a UUID id. Throws std::system_error when
// the file cannot be opened or read.
std::optional<SessionMeta> sessionMeta(const std::filesystem::path& file);

// The thread id of sessionMeta; throws likewise.
std::optional<std::string> sessionID(const std::filesystem::path& file);

// A name from the first user message of a session file (at most 160 characters); nothing on any
// failure.
std::optional<std::string> conversationName(const std::filesystem::path& file);

// Tool calls that Codex holds until the user approves them.
bool requestsEscalatedPermission(std::optional<std::string_view> input);
// A function call's JSON "arguments" asking to run outside the sandbox: an object whose
// "sandbox_permissions" is the text "require_escalated" (the form of today's exec_command).
bool requestsEscalatedSandbox(std::optional<std::string_view> arguments);
bool requestsKnownNestedApproval(std::optional<std::string_view> input);
bool requestsFileChangeApproval(std::string_view name, std::optional<std::string_view> input);
bool isKnownNestedApprovalCompletion(std::optional<simdjson::dom::object> item);

namespace detail {
// The last `limit` bytes of a file cut to whole lines: empty, or ending with a line feed and never
// beginning inside a line. Throws std::system_error.
std::string tail(const std::filesystem::path& file, std::uint64_t limit);
} // namespace detail

} // namespace quorvel::SessionReader
