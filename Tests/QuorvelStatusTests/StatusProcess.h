#pragma once

#include "TestSupport.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing {

inline constexpr std::string_view expectedUsage =
    "quorvel-status set ID working|waiting|done|failed|unknown NAME [--directory PATH]\n"
    "quorvel-status remove ID [--directory PATH]\n"
    "quorvel-status list [--directory PATH]\n"
    "quorvel-status codex\n"
    "quorvel-status claude-hook\n"
    "\n"
    "IDs use letters, digits, hyphens and underscores. Quote multi-word names.\n"
    "Working/waiting signals expire to unknown after 5 minutes; repeat set as a heartbeat.\n"
    "Files stay local. No Codex settings or shell profiles are changed. Claude hooks write status metadata "
    "only.";

inline std::string expectedError(std::string_view error) {
    return "Quorvel status: " + std::string(error) + "\n" + std::string(expectedUsage) + "\n";
}

// Runs the built quorvel-status with HOME in a fresh temporary folder, and XDG_DATA_HOME in it too.
struct StatusProcess {
    TemporaryDirectory home;
    std::filesystem::path dataHome = home / ".local/share";

    std::filesystem::path dataDirectory() const { return dataHome / "quorvel"; }
    std::filesystem::path tasksDirectory() const { return dataDirectory() / "tasks"; }
    std::filesystem::path eventsDirectory() const { return dataDirectory() / "claude-events"; }

    ProcessResult run(std::vector<std::string> arguments, std::string_view input = {},
                      std::vector<std::string> environment = {}) const {
        arguments.insert(arguments.begin(), QUORVEL_STATUS_BINARY);
        environment.push_back("HOME=" + home.path().string());
        environment.push_back("XDG_DATA_HOME=" + dataHome.string());
        return runProcess(arguments, input, environment);
    }
};

} // namespace quorvel::testing
