#pragma once

#include "Support/Date.h"
#include "Support/DirectoryListingCache.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace quorvel {

// The Claude desktop app's session files: which desktop session shows a Claude Code session, and when
// the user last focused it there.
namespace ClaudeDesktopSessionIndex {

inline constexpr std::size_t maxExaminedEntries = 200;
inline constexpr std::uint64_t maxSessionFileBytes = 4'000'000;

struct Snapshot {
    // Claude Code session id -> desktop session id ("local_" + UUID).
    std::map<std::string, std::string> sessionIDs;
    // Claude Code session id -> last focus time; every key is also a key of sessionIDs.
    std::map<std::string, Date> lastFocusedAt;

    bool operator==(const Snapshot&) const = default;
};

// Reads the ".json" files below `root` (at most maxExaminedEntries of them). A missing root gives an
// empty snapshot; throws std::system_error when an examined entry's properties cannot be read. With a
// cache whose pass has a FileStatusCache, folders and entries are asked about through it.
Snapshot snapshot(const std::filesystem::path& root, DirectoryListingCache* listings = nullptr);

} // namespace ClaudeDesktopSessionIndex

} // namespace quorvel
