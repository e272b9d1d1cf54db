#pragma once

#include "Orca/OrcaCommandRunning.h"

#include <cstdint>

namespace quorvel {

// Runs Orca's tool with a clean environment in the home folder, bounding its time and output.
struct OrcaCommandRunner final : OrcaCommandRunning {
    static constexpr std::size_t readChunk = 16'384;

    double timeout = 5.0;                  // seconds, from just after the start
    std::uint64_t outputLimit = 4'000'000; // standard output and standard error together

    OrcaCommandRunner(double timeout, std::uint64_t outputLimit)
        : timeout(timeout), outputLimit(outputLimit) {}

    // Standard output of a command that exited 0 with some output. A tool that cannot start throws
    // std::system_error; running too long, printing too much, exiting 0 silently or exiting non-zero
    // throw OrcaNavigationError (or the JSON parser's error for a failed command's non-JSON reply).
    // The child is finished or killed and reaped before this returns or throws.
    std::string run(const std::filesystem::path& executable,
                    const std::vector<std::string>& arguments) const override;
};

} // namespace quorvel
