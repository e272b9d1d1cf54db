#pragma once

#include "Support/DirectoryListingCache.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quorvel::CodexAutomationIndex {

inline constexpr std::size_t maxEntries = 500;
inline constexpr std::uint64_t maxFileBytes = 256'000;

// The thread ids, lower-cased, that the automations in "automations" of the Codex home target.
// Unusable automations are skipped; only a failure to look at a listed entry throws std::system_error.
// With a cache whose pass has a FileStatusCache, the folders and entries are asked about through it.
std::set<std::string> load(const std::filesystem::path& codexHome, DirectoryListingCache* listings = nullptr);

// The UUID of the first line `target_thread_id = "…"` (optionally followed by a # comment), lower-cased.
std::optional<std::string> targetThreadID(std::string_view automationToml);

} // namespace quorvel::CodexAutomationIndex
