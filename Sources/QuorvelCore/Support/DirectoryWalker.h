#pragma once

#include "Support/DirectoryListingCache.h"
#include "Support/FileInfo.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::DirectoryWalker {

// One entry met by a walk. Valid only during the visit: it refers to its folder, which is open.
class Entry {
public:
    Entry(const std::string& folder, int folderDescriptor, const std::string& name)
        : folder_(folder), folderDescriptor_(folderDescriptor), name_(name) {}

    std::string_view name() const { return name_; }
    // The folder's path, then "/" and the name.
    std::string pathText() const;
    std::filesystem::path path() const { return pathText(); }
    // What lstat of path() tells, asked of the open folder (no second lookup of the whole path). Throws
    // std::system_error as lstat would, ENAMETOOLONG for a path longer than the system takes included.
    FileInfo info() const;
    // As info(), but nothing when the entry no longer exists.
    std::optional<FileInfo> infoIfExists() const;

private:
    const std::string& folder_;
    int folderDescriptor_;
    const std::string& name_;
};

// Visits every entry below `root`, depth first, each folder before its contents and the entries of one
// folder in byte order of their names. Hidden entries (names beginning with ".") are skipped with
// everything below them, symbolic links are visited but never followed (not even when a folder is
// replaced by one during the walk), and subfolders that cannot be listed (or whose path is longer than
// the system takes) are passed over. Returns false, visiting nothing, when `root` itself cannot be
// listed. With a cache, a folder whose version is unchanged is not listed again.
bool walkEntries(const std::filesystem::path& root, const std::function<bool(const Entry&)>& visit,
                 DirectoryListingCache* cache = nullptr);

// As walkEntries, with the path of each entry.
bool walk(const std::filesystem::path& root, const std::function<void(const std::filesystem::path&)>& visit);

// As walk, but ends the walk as soon as `visit` returns false.
bool walkWhile(const std::filesystem::path& root,
               const std::function<bool(const std::filesystem::path&)>& visit);

} // namespace quorvel::DirectoryWalker
