#pragma once

#include "Platform/OrcaOpenRunner.h"

#include <deque>
#include <vector>

namespace quorvel::testing {

// Records the Orca opens asked for and holds each until the test finishes it.
class HeldOrcaOpenRunner final : public OrcaOpenRunner {
public:
    struct Open {
        std::string taskID;
        std::filesystem::path tool;
    };

    void open(std::string taskID, std::filesystem::path tool, Completion completion) override {
        opens.push_back({std::move(taskID), std::move(tool)});
        pending.push_back(std::move(completion));
    }

    void finish(std::exception_ptr error = nullptr) {
        auto completion = std::move(pending.front());
        pending.pop_front();
        completion(error);
    }

    std::vector<Open> opens;
    std::deque<Completion> pending;
};

} // namespace quorvel::testing
