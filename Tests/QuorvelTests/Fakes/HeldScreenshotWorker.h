#pragma once

#include "Platform/ScreenshotWorker.h"

#include <deque>
#include <functional>

namespace quorvel::testing {

// Does the real checks and preparation on the test's thread: at once, or, while `holding`, when the
// test releases them.
class HeldScreenshotWorker final : public ScreenshotWorker {
public:
    void check(std::filesystem::path path, QSize previewBounds, Checked done) override {
        run([path, previewBounds, done = std::move(done)] { done(checkedPreview(path, previewBounds)); });
    }
    void prepare(std::filesystem::path path, Prepared done) override {
        run([path, done = std::move(done)] { done(prepared(path)); });
    }

    // Runs the held work, oldest first.
    void release() {
        while (!held.empty()) {
            auto work = std::move(held.front());
            held.pop_front();
            work();
        }
    }

    bool holding = false;
    std::deque<std::function<void()>> held;

private:
    void run(std::function<void()> work) {
        if (holding)
            held.push_back(std::move(work));
        else
            work();
    }
};

} // namespace quorvel::testing
