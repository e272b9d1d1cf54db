#pragma once

#include "Support/Date.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quorvel::bench {

// Writes a heavy, realistic home folder for the refresh: recent and old Claude Code transcripts and
// Codex histories, hook records, read states, Orca's status file and the Codex desktop logs. At rest,
// every task is finished and read (no local records, hook records of finished turns only, every
// Claude and Codex task marked read, no Orca panes), so that a tray program shows nothing that pulses.
struct RefreshCorpus {
    bool atRest = false;
    int recentClaudeTranscripts = 150;
    int recentCodexHistories = 100;
    int olderFilesEach = 2000;
    std::uint64_t smallestRecentBytes = 512 * 1024;
    std::uint64_t largestRecentBytes = 8 * 1024 * 1024;

    void generate(const std::filesystem::path& home, Date now) const;
};

// The Claude Code transcripts below a home folder changed in the last day, newest first.
std::vector<std::filesystem::path> recentClaudeTranscripts(const std::filesystem::path& claudeHome, Date now);

} // namespace quorvel::bench
