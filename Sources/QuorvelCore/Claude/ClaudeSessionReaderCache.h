#pragma once

#include "Model/TaskStatus.h"
#include "Support/FileResultCache.h"

#include <optional>

namespace quorvel::ClaudeSessionReader {

// The task each transcript gave at its current version, kept between refreshes.
struct Cache {
    FileResultCache<std::optional<TaskStatus>> transcripts;

    void beginPass() { transcripts.beginPass(); }
    void endPass() { transcripts.endPass(); }
};

} // namespace quorvel::ClaudeSessionReader
