#pragma once

#include "Platform/RefreshRunner.h"
#include "Refresh/RefreshWorker.h"

#include <QObject>
#include <QThreadPool>

namespace quorvel {

class Clock;

// The process's one RefreshWorker (with its parse cache) on a low-priority pool thread. The caller
// starts one refresh at a time; the destructor waits for a running one.
class ThreadPoolRefreshRunner final : public RefreshRunner {
public:
    explicit ThreadPoolRefreshRunner(const Clock& clock);
    ~ThreadPoolRefreshRunner() override;

    void start(bool codexEnabled, bool claudeEnabled, Completion completion) override;

private:
    const Clock& clock_;
    RefreshWorker worker_;
    QObject context_;
    QThreadPool pool_;
};

} // namespace quorvel
