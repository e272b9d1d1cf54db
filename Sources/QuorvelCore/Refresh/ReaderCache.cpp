#include "Refresh/ReaderCache.h"

namespace quorvel {
namespace {

template <typename Body> void forEachCache(ReaderCache& cache, Body&& body) {
    body(cache.localTasks);
    body(cache.codex);
    body(cache.orcaCodex);
    body(cache.attention);
    body(cache.claude);
    body(cache.orcaStatus);
    body(cache.orcaTranscripts);
    body(cache.orcaReadState);
    body(cache.codexReadState);
    body(cache.codexAutomationReadState);
    body(cache.claudeReadState);
    body(cache.codexReadMarks);
}

} // namespace

ReaderCache::ReaderCache(std::unique_ptr<FolderWatch> watch)
    : files(watch ? std::make_unique<FileStatusCache>(std::move(watch)) : nullptr) {}

void ReaderCache::beginPass(Date readMoment) {
    if (files)
        files->beginPass(readMoment);
    forEachCache(*this, [&](auto& cache) { cache.beginPass(readMoment, files.get()); });
}

void ReaderCache::endPass() {
    forEachCache(*this, [](auto& cache) { cache.endPass(); });
    if (files)
        files->endPass();
}

} // namespace quorvel
