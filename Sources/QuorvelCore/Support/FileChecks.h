#pragma once

#include "Support/FileInfo.h"

#include <cstdint>
#include <filesystem>

namespace quorvel::FileChecks {

// lstat the path (the platform's error is thrown), then require a regular file that is no link and
// holds at most maxBytes; otherwise StatusError::invalidRecord.
FileInfo requireRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes);
// The same of what lstat told.
void requireRegularFile(const FileInfo& info, std::uint64_t maxBytes);

// For files written outside the system's own folder: an existing file must be a regular file, not a
// link, within maxBytes and owned by the current user; an existing parent folder must be a directory,
// not a link, owned by the current (real) user. Missing ones pass. Otherwise StatusError::invalidRecord.
void requireSafeExternalTarget(const std::filesystem::path& path, std::uint64_t maxBytes);
// The parent-folder half of requireSafeExternalTarget alone.
void requireSafeExternalParent(const std::filesystem::path& path);

bool isOwnedByCurrentUser(const FileInfo& info);

} // namespace quorvel::FileChecks
