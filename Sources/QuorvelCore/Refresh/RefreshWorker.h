#pragma once

#include "Refresh/ReaderCache.h"
#include "Refresh/RefreshEnvironment.h"
#include "Refresh/RefreshSnapshot.h"
#include "Support/Date.h"

#include <functional>

namespace quorvel {

inline constexpr std::string_view refreshFailureDiagnostic =
    "Could not read status. Check local file access or record format.";
inline constexpr std::string_view codexAttentionWarning = "Could not read Codex attention signals.";
inline constexpr std::string_view claudeStatusWarning = "Could not read Claude Code status.";

// Reads every source in a fixed order and never fails: failures become warnings or the failure
// snapshot. Runs off the main thread; it shares nothing with its caller.
RefreshSnapshot loadRefreshSnapshot(bool codexEnabled, bool claudeEnabled,
                                    const RefreshEnvironment& environment, Date now,
                                    ReaderCache* cache = nullptr);

// The refresh with a cache of parse results that lives from one tick to the next, so that files that
// did not change are not parsed again. Gives exactly what loadRefreshSnapshot gives.
class RefreshWorker {
public:
    // `readClock`: the real time at which a refresh reads its files, which decides whether a file that
    // changed just then is trusted from the cache (FileKey::isRacy). It never enters the snapshot: the
    // refresh's rules take `now`.
    // `watch`: what tells the worker which folders changed since the last refresh, so that a refresh in
    // which nothing changed reads nothing (see FileStatusCache); without one, every refresh asks lstat
    // of every file.
    explicit RefreshWorker(std::function<Date()> readClock, std::unique_ptr<FolderWatch> watch = nullptr)
        : readClock_(std::move(readClock)), cache_(std::move(watch)) {}

    RefreshSnapshot load(bool codexEnabled, bool claudeEnabled, const RefreshEnvironment& environment,
                         Date now);
    const ReaderCache& cache() const { return cache_; }

private:
    std::function<Date()> readClock_;
    ReaderCache cache_;
};

} // namespace quorvel
