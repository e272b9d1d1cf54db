#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quorvel::DirectoryWalker {

// Visits every entry below `root`, depth first, each folder before its contents and the entries of one
// folder in byte order of their names. Hidden entries (names beginning with ".") are skipped with
// everything below them, symbolic links are visited but never followed (not even when a folder is
// replaced by one during the walk), and subfolders that cannot be listed are passed over. Returns
// false, visiting nothing, when `root` itself cannot be listed.
bool walk(const std::filesystem::path& root, const std::function<void(const std::filesystem::path&)>& visit);

// As walk, but ends the walk as soon as `visit` returns false.
bool walkWhile(const std::filesystem::path& root,
               const std::function<bool(const std::filesystem::path&)>& visit);

} // namespace quorvel::DirectoryWalker
