#pragma once

#include "Platform/OrcaOpenRunner.h"

#include <QObject>
#include <QThreadPool>

namespace quorvel {

class Clock;

// OrcaNavigator over an OrcaCommandRunner (5 s, 4,000,000 bytes) with a fresh Orca index, on a pool
// thread: the tool blocks while it runs.
class ThreadPoolOrcaOpenRunner final : public OrcaOpenRunner {
public:
    static constexpr double timeout = 5.0;
    static constexpr std::uint64_t outputLimit = 4'000'000;

    explicit ThreadPoolOrcaOpenRunner(const Clock& clock);
    ~ThreadPoolOrcaOpenRunner() override;

    void open(std::string taskID, std::filesystem::path tool, Completion completion) override;

private:
    const Clock& clock_;
    QObject context_;
    QThreadPool pool_;
};

} // namespace quorvel
