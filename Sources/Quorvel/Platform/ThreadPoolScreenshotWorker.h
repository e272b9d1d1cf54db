#pragma once

#include "Platform/ScreenshotWorker.h"

#include <QObject>
#include <QThreadPool>

namespace quorvel {

// One pool thread, so that pictures are decoded one at a time and their memory never adds up. The
// destructor waits for the work under way.
class ThreadPoolScreenshotWorker final : public ScreenshotWorker {
public:
    ThreadPoolScreenshotWorker();
    ~ThreadPoolScreenshotWorker() override;

    void check(std::filesystem::path path, QSize previewBounds, Checked done) override;
    void prepare(std::filesystem::path path, Prepared done) override;

private:
    QObject context_;
    QThreadPool pool_;
};

} // namespace quorvel
