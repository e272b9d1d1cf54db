#pragma once

#include "Claude/ClaudeSessionReaderCache.h"
#include "Codex/CodexReadState.h"
#include "Codex/DesktopAttention.h"
#include "Codex/SessionReaderCache.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/FileResultCache.h"

namespace quorvel {

// The parse results of every reader of the refresh, kept from one refresh to the next.
struct ReaderCache {
    SessionReader::Cache codex;
    SessionReader::Cache orcaCodex;
    DesktopAttention::Cache attention;
    ClaudeSessionReader::Cache claude;
    FileResultCache<CodexReadState> codexReadState;
    OrcaSessionIndex::TranscriptCache orcaTranscripts;

    void beginPass();
    void endPass();
};

} // namespace quorvel
