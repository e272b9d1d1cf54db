#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <string>

namespace quorvel {

// Asks Orca's command-line tool to bring a task's pane to the front, off the main thread.
class OrcaOpenRunner {
public:
    // No error on success; otherwise what the navigator threw.
    using Completion = std::function<void(std::exception_ptr error)>;

    virtual ~OrcaOpenRunner() = default;

    // The outcome arrives on the main thread.
    virtual void open(std::string taskID, std::filesystem::path tool, Completion completion) = 0;
};

} // namespace quorvel
