#pragma once

#include <filesystem>

namespace quorvel::Locations {

// "Library/Application Support" in a home folder: where other programs (Claude's desktop app, Orca)
// keep their own files.
std::filesystem::path applicationSupport(const std::filesystem::path& home);
// The user's data folder: $XDG_DATA_HOME, or "<home>/.local/share" when that is unset or not absolute.
std::filesystem::path dataHome(const std::filesystem::path& home);
// The user's settings folder: $XDG_CONFIG_HOME, or "<home>/.config" when that is unset or not absolute.
std::filesystem::path configHome(const std::filesystem::path& home);
// Quorvel's own state folder: "quorvel" in the user's data folder.
std::filesystem::path quorvelSupport(const std::filesystem::path& home);

} // namespace quorvel::Locations
