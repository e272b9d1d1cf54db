#include "Refresh/ReaderCache.h"

namespace quorvel {

void ReaderCache::beginPass() {
    codex.beginPass();
    orcaCodex.beginPass();
    attention.beginPass();
    claude.beginPass();
    codexReadState.beginPass();
    orcaTranscripts.beginPass();
}

void ReaderCache::endPass() {
    codex.endPass();
    orcaCodex.endPass();
    attention.endPass();
    claude.endPass();
    codexReadState.endPass();
    orcaTranscripts.endPass();
}

} // namespace quorvel
