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
#include "Support/FileStatusCache.h"

#include <memory>

namespace quorvel {

// The parse results of every reader of the refresh, kept from one refresh to the next, and with a
// FolderWatch what the file system told of the folders and files they read.
struct ReaderCache {
    // Without a watch every pass asks lstat of every file and folder.
    explicit ReaderCache(std::unique_ptr<FolderWatch> watch = nullptr);

    std::unique_ptr<FileStatusCache> files; // nothing without a watch
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
