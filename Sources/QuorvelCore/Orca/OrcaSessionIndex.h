#pragma once

#include "Model/OrcaSessionReference.h"
#include "Model/TaskStatus.h"
#include "Support/Date.h"
#include "Support/FileIO.h"
#include "Support/FileResultCache.h"
#include "Support/ResultLifetime.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The Orca panes in which assistant sessions run, read from Orca's agent status file. An index without
// sessions stands for an Orca that is absent or unreadable.
struct OrcaSessionIndex {
    static constexpr std::uint64_t statusFileLimit = 8'000'000;
    static constexpr std::size_t maxEntries = 10'000;
    static constexpr std::size_t maxWorktreeIDLength = 8'192;
    static constexpr std::size_t maxTranscriptPathLength = 32'768;
    static constexpr double maxAge = 604'800; // 7 days
    static constexpr double maxFutureSkew = 60;

    std::vector<OrcaSessionReference> sessions;

    // "Library/Application Support/Orca" under the home folder.
    static std::filesystem::path root(const std::filesystem::path& home = FileIO::homeDirectory());
    // root + "agent-hooks/last-status.json".
    static std::filesystem::path statusFile(const std::filesystem::path& root);

    // The status file's sessions of every age, kept from one refresh to the next while the file keeps
    // its version.
    using StatusFileCache = FileResultCache<std::vector<OrcaSessionReference>>;

    // No status file gives an empty index. A file that is a link, not regular or too large is
    // StatusError::invalidRecord; file errors are std::system_error. With a lifetime, notes when a
    // session ages out or one observed ahead of `now` comes in.
    static OrcaSessionIndex load(const std::filesystem::path& root, Date now,
                                 StatusFileCache* cache = nullptr, ResultLifetime* lifetime = nullptr);
    // Bad JSON (a bare value at the top included) is JsonParseError; JSON of another version or shape is
    // StatusError::invalidRecord. Entries that break a rule are skipped.
    static OrcaSessionIndex decode(std::string_view bytes, Date now);
    // As decode, keeping sessions of any age.
    static OrcaSessionIndex decodeAllAges(std::string_view bytes);

    // The references whose task id equals `taskID` lower-cased, in index order.
    std::vector<OrcaSessionReference> matches(std::string_view taskID) const;

    // One task per session whose transcript file Orca named, lies under `home`, is reached through no
    // link, ends in ".jsonl", changed within a day and describes that very session; in index order.
    // Never throws: any failure just yields no task for that session.
    // With a cache, transcripts whose version is unchanged since the cache saw them are not read again.
    // With a lifetime, notes when a transcript leaves the day's window.
    using TranscriptCache = FileResultCache<std::optional<TaskStatus>>;
    std::vector<TaskStatus> transcriptTasks(const std::filesystem::path& home, Date now,
                                            TranscriptCache* cache = nullptr,
                                            ResultLifetime* lifetime = nullptr) const;

    // Attaches to each task its newest Orca session (else the retained one, keyed by lower-cased task
    // id), merges tasks whose ids differ only in letter case, orders them newest first and keeps all
    // local tasks but at most `limit` Codex and `limit` Claude Code tasks.
    std::vector<TaskStatus> applying(std::vector<TaskStatus> tasks,
                                     const std::map<std::string, OrcaSessionReference>& retained,
                                     std::size_t limit) const;

    bool operator==(const OrcaSessionIndex&) const = default;
};

} // namespace quorvel
