#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvel::CodexGlobalState {

// The Codex desktop app's ".codex-global-state.json" in the Codex home; read, never written.
inline constexpr std::uint64_t maxBytes = 16'000'000;

std::filesystem::path path(const std::filesystem::path& codexHome);

// The whole file, or nothing when it is not a regular file or larger than maxBytes.
// Throws std::system_error when the file is missing or cannot be read.
std::optional<std::string> read(const std::filesystem::path& codexHome);

} // namespace quorvel::CodexGlobalState
