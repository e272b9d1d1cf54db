#include "Platform/ThreadPoolScreenshotWorker.h"

#include "Platform/BackgroundTask.h"

namespace quorvel {

ThreadPoolScreenshotWorker::ThreadPoolScreenshotWorker() {
    pool_.setMaxThreadCount(1);
}

ThreadPoolScreenshotWorker::~ThreadPoolScreenshotWorker() {
    pool_.waitForDone();
}

void ThreadPoolScreenshotWorker::check(std::filesystem::path path, QSize previewBounds, Checked done) {
    runInBackground(
        pool_, &context_,
        [path = std::move(path), previewBounds] { return checkedPreview(path, previewBounds); },
        std::move(done));
}

void ThreadPoolScreenshotWorker::prepare(std::filesystem::path path, Prepared done) {
    runInBackground(
        pool_, &context_, [path = std::move(path)] { return prepared(path); }, std::move(done));
}

} // namespace quorvel
