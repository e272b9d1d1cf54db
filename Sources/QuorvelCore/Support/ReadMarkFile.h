#pragma once

#include "Support/Date.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace quorvel::ReadMarkFile {

// The private read-mark files: {"readAt": {key: "2026-03-01T09:30:00Z", ...}}, whole seconds in UTC.
using Marks = std::map<std::string, Date>;

inline constexpr std::uint64_t maxBytes = 1'000'000;

// Read when a mark exists under the key at or after updatedAt.
bool covers(const Marks& marks, const std::string& key, Date updatedAt);
// Sets the mark to the later of `at` and updatedAt, rounded up to a whole second so that the mark held
// and the one reloaded from the file are the same, and held within Iso8601::earliest...latest.
void mark(Marks& marks, const std::string& key, Date at, Date updatedAt);

// Throws JsonParseError, or JsonDecodeError when "readAt" is missing or a mark is not whole-second text.
Marks decode(std::string_view bytes);
// StatusError::invalidRecord for a mark outside Iso8601::earliest...latest (decode would refuse it).
std::string encode(const Marks& marks);

// No marks when nothing exists at the path. A link, a non-regular file or one above maxBytes is
// StatusError::invalidRecord; other failures throw as they come.
Marks load(const std::filesystem::path& path);
// Writes atomically into a 0700 folder with permissions 0600. Marks that would make a file larger than
// maxBytes are StatusError::invalidRecord, and the file is left as it was. A file there that does not
// load is kept aside first (UnreadableFile, dated `now`).
void save(const std::filesystem::path& path, const Marks& marks, Date now);

} // namespace quorvel::ReadMarkFile
