#include "Platform/ThreadPoolRefreshRunner.h"

#include "Platform/BackgroundTask.h"
#include "Platform/Clock.h"
#include "Support/InotifyFolderWatch.h"

namespace quorvel {

// The worker judges whether a file changed too recently to trust by the real time it reads it at, and
// learns from inotify which folders changed since its last refresh.
ThreadPoolRefreshRunner::ThreadPoolRefreshRunner(const Clock& clock)
    : clock_(clock), worker_([] { return SystemClock().now(); }, std::make_unique<InotifyFolderWatch>()) {
    pool_.setMaxThreadCount(1);
    pool_.setThreadPriority(QThread::LowPriority);
}

ThreadPoolRefreshRunner::~ThreadPoolRefreshRunner() {
    pool_.waitForDone();
}

void ThreadPoolRefreshRunner::start(bool codexEnabled, bool claudeEnabled, Completion completion) {
    runInBackground(
        pool_, &context_,
        [this, codexEnabled, claudeEnabled] {
            return worker_.load(codexEnabled, claudeEnabled, RefreshEnvironment::fromProcess(), clock_.now());
        },
        std::move(completion));
}

} // namespace quorvel
