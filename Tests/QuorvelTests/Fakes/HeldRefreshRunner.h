#pragma once

#include "Platform/RefreshRunner.h"

#include <deque>
#include <vector>

namespace quorvel::testing {

// Holds each refresh until the test answers it with a snapshot of its own.
class HeldRefreshRunner final : public RefreshRunner {
public:
    struct Start {
        bool codexEnabled;
        bool claudeEnabled;
        bool operator==(const Start&) const = default;
    };

    void start(bool codexEnabled, bool claudeEnabled, Completion completion) override {
        starts.push_back({codexEnabled, claudeEnabled});
        pending.push_back(std::move(completion));
    }

    // Completes the oldest refresh still held.
    void answer(RefreshSnapshot snapshot) {
        auto completion = std::move(pending.front());
        pending.pop_front();
        completion(std::move(snapshot));
    }
    // The same with these tasks and nothing else.
    void answer(std::vector<TaskStatus> tasks) {
        RefreshSnapshot snapshot;
        snapshot.tasks = std::move(tasks);
        answer(std::move(snapshot));
    }

    std::vector<Start> starts;
    std::deque<Completion> pending;
};

} // namespace quorvel::testing
