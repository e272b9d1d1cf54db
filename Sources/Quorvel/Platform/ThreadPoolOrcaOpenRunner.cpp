#include "Platform/ThreadPoolOrcaOpenRunner.h"

#include "Orca/OrcaCommandRunner.h"
#include "Orca/OrcaNavigator.h"
#include "Platform/BackgroundTask.h"
#include "Platform/Clock.h"

namespace quorvel {

ThreadPoolOrcaOpenRunner::ThreadPoolOrcaOpenRunner(const Clock& clock) : clock_(clock) {
    pool_.setMaxThreadCount(1);
}

ThreadPoolOrcaOpenRunner::~ThreadPoolOrcaOpenRunner() {
    pool_.waitForDone();
}

void ThreadPoolOrcaOpenRunner::open(std::string taskID, std::filesystem::path tool, Completion completion) {
    runInBackground(
        pool_, &context_,
        [this, taskID = std::move(taskID), tool = std::move(tool)]() -> std::exception_ptr {
            try {
                const OrcaNavigator navigator(std::make_shared<OrcaCommandRunner>(timeout, outputLimit));
                navigator.open(taskID, tool, OrcaNavigator::freshIndex([this] { return clock_.now(); }));
                return nullptr;
            } catch (...) {
                return std::current_exception();
            }
        },
        std::move(completion));
}

} // namespace quorvel
