#pragma once

#include <filesystem>

namespace quorvel::Locations {

// "Library/Application Support" in a home folder.
std::filesystem::path applicationSupport(const std::filesystem::path& home);
// The system's own state folder: "Library/Application Support/Quorvel".
std::filesystem::path quorvelSupport(const std::filesystem::path& home);

} // namespace quorvel::Locations
