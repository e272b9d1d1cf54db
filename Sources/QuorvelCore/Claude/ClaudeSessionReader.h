#pragma once

#include "Model/TaskStatus.h"
#include "Support/FileIO.h"
#include "Support/ResultLifetime.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct ClaudeHookStore;

// Turns Claude Code transcripts (JSON lines) into tasks.
namespace ClaudeSessionReader {

// Bytes read from each end of a transcript.
inline constexpr std::uint64_t transcriptWindowBytes = 524'288;
// Longer lines are not parsed.
inline constexpr std::size_t maxLineBytes = 1'000'000;
// Larger transcripts are not opened by `load`.
inline constexpr std::uint64_t maxTranscriptBytes = 64'000'000;
inline constexpr std::size_t maxNameCharacters = 160;
inline constexpr std::int64_t unlimited = std::numeric_limits<std::int64_t>::max();

// The task one transcript describes; nothing when no line gives a UUID session id (and the fallback
// id is not one either) or no line sets a state. Never throws for malformed content.
std::optional<TaskStatus> parse(std::string_view bytes, std::string_view fallbackID,
                                std::string_view fallbackName);

// The whole lines of the first and the last `limit` bytes of the transcript, less a last line still
// being written. Throws std::system_error when the file cannot be opened or read.
std::string transcriptData(const std::filesystem::path& path, std::uint64_t limit);

// "Library/Application Support/Claude/claude-code-sessions" in the user's home folder.
std::filesystem::path defaultDesktopSessionsRoot(const std::filesystem::path& home = FileIO::homeDirectory());

// The tasks of the transcripts below home/projects changed within the last day, newest first, one per
// session (from its newest transcript), with hook records at least as new as the transcript and the
// desktop app's session ids applied; at most `limit` tasks. Throws std::system_error when a
// transcript's properties or contents cannot be read.
// With a cache, transcripts whose version is unchanged since the cache saw them are not read again. With
// a lifetime, notes when a transcript or a hook record enters or leaves the day's window.
struct Cache;
std::vector<TaskStatus> load(const std::filesystem::path& home, const ClaudeHookStore& hookStore, Date now,
                             const std::filesystem::path& desktopSessionsRoot, std::int64_t limit,
                             Cache* cache = nullptr, ResultLifetime* lifetime = nullptr);

} // namespace ClaudeSessionReader

} // namespace quorvel
