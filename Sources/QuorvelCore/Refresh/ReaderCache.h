#pragma once

#include "Claude/ClaudeReadState.h"
#include "Claude/ClaudeSessionReaderCache.h"
#include "Codex/CodexAutomationReadState.h"
#include "Codex/CodexReadMarks.h"
#include "Codex/CodexReadState.h"
#include "Codex/DesktopAttention.h"
#include "Codex/SessionReaderCache.h"
#include "Model/StatusStore.h"
#include "Orca/OrcaReadState.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/FileResultCache.h"

namespace quorvel {

// The parse results of every reader of the refresh, kept from one refresh to the next.
struct ReaderCache {
    StatusStore::Cache localTasks;
    SessionReader::Cache codex;
    SessionReader::Cache orcaCodex;
    DesktopAttention::Cache attention;
    ClaudeSessionReader::Cache claude;
    OrcaSessionIndex::StatusFileCache orcaStatus;
    OrcaSessionIndex::TranscriptCache orcaTranscripts;
    FileResultCache<OrcaReadState> orcaReadState;
    FileResultCache<CodexReadState> codexReadState;
    FileResultCache<CodexAutomationReadState> codexAutomationReadState;
    FileResultCache<ClaudeReadState> claudeReadState;
    FileResultCache<CodexReadMarks> codexReadMarks;

    // `readMoment`: when the pass reads its files (see FileKey::isRacy).
    void beginPass(Date readMoment);
    void endPass();
};

} // namespace quorvel
