#pragma once

#include "Claude/ClaudeHookStore.h"
#include "Model/TaskStatus.h"
#include "Support/DirectoryListingCache.h"
#include "Support/FileResultCache.h"

#include <optional>

namespace quorvel::ClaudeSessionReader {

// The task each transcript gave at its current version, kept between refreshes.
struct Cache {
    DirectoryListingCache listings;
    FileResultCache<std::optional<TaskStatus>> transcripts;
    ClaudeHookStore::Cache hookRecords;

    void beginPass(Date readMoment) {
        listings.beginPass(readMoment);
        transcripts.beginPass(readMoment);
        hookRecords.beginPass(readMoment);
    }
    void endPass() {
        listings.endPass();
        transcripts.endPass();
        hookRecords.endPass();
    }
};

} // namespace quorvel::ClaudeSessionReader
