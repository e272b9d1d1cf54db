#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {

// Runs one command of Orca's command-line tool and returns what it wrote to standard output.
// Blocking: the application calls it (through OrcaNavigator) from a worker thread.
class OrcaCommandRunning {
public:
    virtual ~OrcaCommandRunning() = default;
    virtual std::string run(const std::filesystem::path& executable,
                            const std::vector<std::string>& arguments) const = 0;
};

} // namespace quorvel
