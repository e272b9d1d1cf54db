#pragma once

#include "Support/FileInfo.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvel::OrcaLocalFile {

// Every read of Orca's files, and of the Orca read state, goes through these two.

// The largest file `tail` reads from, whatever window it is asked for.
inline constexpr std::uint64_t tailFileLimit = 64'000'000;

// A regular file, not a symbolic link, of at most `limit` bytes; otherwise StatusError::invalidRecord.
// A file whose attributes cannot be read (a missing one too) throws std::system_error.
void validate(const std::filesystem::path& path, std::uint64_t limit);
// The same of what lstat told of the file.
void validate(const FileInfo& info, std::uint64_t limit);

// The last `limit` bytes of the file cut to whole lines: a first line cut by the window's start and a
// last line without its line feed are dropped; bytes holding no line feed come back whole.
std::string tail(const std::filesystem::path& path, std::uint64_t limit);

} // namespace quorvel::OrcaLocalFile
