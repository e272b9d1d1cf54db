#pragma once

#include "Claude/ClaudeHookRecord.h"
#include "Support/Date.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "Support/RecordFolderCache.h"
#include "Support/ResultLifetime.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <simdjson.h>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// The Claude event directory: one record file per Claude Code session, named session id + ".json".
struct ClaudeHookStore {
    static constexpr std::size_t maxPayloadBytes = 65536;
    static constexpr std::uint64_t maxRecordBytes = 16384;
    static constexpr std::size_t maxPathLength = 4096; // grapheme clusters
    static constexpr double recentInterval = 86400;

    std::filesystem::path directory;

    explicit ClaudeHookStore(std::filesystem::path directory) : directory(std::move(directory)) {}

    // "claude-events" in Quorvel's data folder (Locations::quorvelSupport).
    static std::filesystem::path
    defaultDirectory(const std::filesystem::path& home = FileIO::homeDirectory());

    // Claude Code waits for its hook, so a lock held longer by another process is not waited for.
    static constexpr std::chrono::milliseconds lockPatience{1000};

    // Validates one hook event and, when the event table maps it to a state, writes the session's
    // record, holding a FolderLock on the directory from reading the previous record to the write. Throws
    // StatusError::invalidRecord for a bad event or one whose record would be larger than maxRecordBytes
    // (nothing written), JsonParseError for broken JSON and std::system_error for file failures.
    // A previous record that cannot be read is kept aside (UnreadableFile). Returns false when another
    // process held the lock past lockPatience and the record was written without it.
    bool ingest(std::string_view payload, Date now) const;

    // The decoded record files, kept from one refresh to the next while a file keeps its version.
    using Cache = RecordFolderCache<ClaudeHookRecord>;

    // The records updated less than 24 hours before `now` (future ones included), in listing order.
    // The first bad ".json" entry fails the whole call. With a lifetime, notes when a record leaves.
    std::vector<ClaudeHookRecord> loadAll(Date now, Cache* cache = nullptr,
                                          ResultLifetime* lifetime = nullptr) const;

private:
    struct Transition {
        LightState state;
        bool attentionPending;
    };

    static ClaudeHookRecord load(const std::filesystem::path& file, JsonParser& parser);
    // Nothing when there is no record; one that cannot be read is kept aside (UnreadableFile).
    static std::optional<ClaudeHookRecord> loadPrevious(const std::filesystem::path& file, Date now);
    static std::optional<Transition> transition(std::string_view eventName, simdjson::dom::object event,
                                                const std::optional<ClaudeHookRecord>& previous);
};

} // namespace quorvel
