#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel::FileIO {

// Reads a whole file of at most maxBytes. The file is opened without following a final symbolic link
// and checked again through the open descriptor: a link, a non-regular file or one larger than
// maxBytes (a socket included) is StatusError::invalidRecord. Other failures throw std::system_error.
std::string readBounded(const std::filesystem::path& path, std::uint64_t maxBytes);

// Reads at most maxBytes from the start of the file (no checks beyond opening it).
std::string readPrefix(const std::filesystem::path& path, std::uint64_t maxBytes);

// Creates the folder and any missing parents with permissions 0700; existing folders are kept as they
// are. Throws std::system_error.
void createPrivateDirectories(const std::filesystem::path& directory);

// Writes the whole file atomically: a temporary file in the same folder, fsync, rename over the
// target. The file ends with `mode`. On any failure no temporary file is left and the target is
// untouched. Throws std::system_error. The parent folder must exist.
void writeAtomically(const std::filesystem::path& path, std::string_view bytes, unsigned mode = 0600);

// Our readers refuse a record or state file above their size cap, so the writers never write one:
// StatusError::invalidRecord when `bytes` exceed maxBytes.
void requireWithinReadCap(std::string_view bytes, std::uint64_t maxBytes);

// createPrivateDirectories(parent) then writeAtomically(path, bytes, 0600).
void writePrivateFile(const std::filesystem::path& path, std::string_view bytes);

// Removes a file; a missing file is no error. Throws std::system_error.
void removeIfExists(const std::filesystem::path& path);

// The current user's home folder: $HOME, else the password database.
std::filesystem::path homeDirectory();

} // namespace quorvel::FileIO
