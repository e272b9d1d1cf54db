#pragma once

#include "Support/DirectoryListingCache.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::DirectoryListing {

// Whether anything exists at the path (a final link is followed); other lstat failures throw
// std::system_error.
bool exists(const std::filesystem::path& path);
// As exists, asking lstat through `files` when given.
bool exists(const std::filesystem::path& path, FileStatusCache* files);

// The names of the folder's direct entries, hidden ones included, in the order the file system lists
// them ("." and ".." left out). Throws std::system_error. With a cache, an unchanged folder is not
// read again (see DirectoryWalker::walkEntries for a cache whose pass has a FileStatusCache).
std::vector<std::string> entryNames(const std::filesystem::path& directory,
                                    DirectoryListingCache* cache = nullptr);

// The entries of the folder whose extension is exactly "json", in listing order; none when nothing
// exists at the path. Throws std::system_error when the folder cannot be listed.
std::vector<std::string> jsonEntryNames(const std::filesystem::path& directory,
                                        DirectoryListingCache* cache = nullptr);

// The entries of an open folder, read through a copy of its descriptor, in listing order, with whether
// each is a folder (not a link to one). Throws std::system_error naming `pathForErrors`.
FolderListing listOpenFolder(int folderDescriptor, const std::string& pathForErrors);

// The text after the last dot of a file name; empty when the name holds no dot.
std::string_view pathExtension(std::string_view name);

} // namespace quorvel::DirectoryListing
