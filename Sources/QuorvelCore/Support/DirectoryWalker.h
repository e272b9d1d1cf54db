#pragma once

#include "Support/Date.h"
#include "Support/DirectoryListingCache.h"
#include "Support/FileInfo.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::DirectoryWalker {

class Walk;

// One entry met by a walk. Valid only during the visit: it refers to the walk's folders.
class Entry {
public:
    Entry(Walk& walk, const std::string& folder, const std::string& name, std::uint32_t position)
        : walk_(walk), folder_(folder), name_(name), position_(position) {}

    std::string_view name() const { return name_; }
    // The folder's path, then "/" and the name.
    std::string pathText() const;
    std::filesystem::path path() const { return pathText(); }
    // What lstat of path() tells, asked of the open folder (no second lookup of the whole path), or
    // known from the walk's FileStatusCache. Throws std::system_error as lstat would, ENAMETOOLONG for a
    // path longer than the system takes included.
    FileInfo info() const;
    // As info(), but nothing when the entry no longer exists.
    std::optional<FileInfo> infoIfExists() const;

private:
    friend class Walk;
    Walk& walk_;
    const std::string& folder_;
    const std::string& name_;
    std::uint32_t position_; // in the folder's listing
};

// Visits every entry below `root`, depth first, each folder before its contents and the entries of one
// folder in byte order of their names. Hidden entries (names beginning with ".") are skipped with
// everything below them, symbolic links are visited but never followed (not even when a folder is
// replaced by one during the walk), and subfolders that cannot be listed (or whose path is longer than
// the system takes) are passed over. Returns false, visiting nothing, when `root` itself cannot be
// listed. With a cache, a folder whose version is unchanged is not listed again; when the cache's pass
// has a FileStatusCache, folders and entries are asked about through it, and a folder is opened only
// when something must be asked of it.
//
// `modifiedAfter` (nanoseconds since 1970) serves readers that want only files changed since then: an
// entry that the FileStatusCache knows to be no folder and changed at or before it may be passed over
// without a visit, so that a walk through old files costs next to nothing. Readers still check every
// entry they are given.
bool walkEntries(const std::filesystem::path& root, const std::function<bool(const Entry&)>& visit,
                 DirectoryListingCache* cache = nullptr,
                 std::int64_t modifiedAfter = std::numeric_limits<std::int64_t>::min());

// The `modifiedAfter` of walkEntries for readers that keep files changed less than `seconds` before
// `now`, a second earlier for the rounding of file times.
std::int64_t windowStart(Date now, double seconds);

// As walkEntries, with the path of each entry.
bool walk(const std::filesystem::path& root, const std::function<void(const std::filesystem::path&)>& visit);

// As walk, but ends the walk as soon as `visit` returns false.
bool walkWhile(const std::filesystem::path& root,
               const std::function<bool(const std::filesystem::path&)>& visit);

} // namespace quorvel::DirectoryWalker
