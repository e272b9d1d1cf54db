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

    void beginPass(Date readMoment, FileStatusCache* files = nullptr) {
        listings.beginPass(readMoment, files);
        transcripts.beginPass(readMoment, files);
        hookRecords.beginPass(readMoment, files);
    }
    void endPass() {
        listings.endPass();
        transcripts.endPass();
        hookRecords.endPass();
    }
};

} // namespace quorvel::ClaudeSessionReader
