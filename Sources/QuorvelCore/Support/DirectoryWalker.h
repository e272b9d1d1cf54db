#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quorvel::DirectoryWalker {

// The names of one folder's entries in listing order, hidden ones included ("." and ".." left out).
// Throws std::system_error when the folder cannot be listed.
std::vector<std::string> entryNames(const std::filesystem::path& directory);

// Visits every entry below `root`, depth first in listing order, each folder before its contents.
// Hidden entries (names beginning with ".") are skipped with everything below them, symbolic links are
// visited but never followed, and subfolders that cannot be listed are passed over. Returns false,
// visiting nothing, when `root` itself cannot be listed.
bool walk(const std::filesystem::path& root, const std::function<void(const std::filesystem::path&)>& visit);

} // namespace quorvel::DirectoryWalker
