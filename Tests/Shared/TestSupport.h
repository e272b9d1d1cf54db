#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& child) const { return path_ / child; }

private:
    std::filesystem::path path_;
};

// Sets (or, with nothing, unsets) one environment variable and restores its old value on destruction.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// Unsets XDG_DATA_HOME for the whole test process and what it starts: Quorvel's own folder follows
// that variable, so a test's temporary home would otherwise lead into the user's real data folder.
void keepAwayFromTheUsersDataFolder();

// Writes bytes, creating parent folders (default permissions).
void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);
unsigned permissions(const std::filesystem::path& path); // st_mode & 07777, lstat
// Sets the file's modification time to unixSeconds.
void setModificationTime(const std::filesystem::path& path, double unixSeconds);

// The read-only real session files shared with the project (see their SOURCES.md).
std::filesystem::path fixturesDirectory();

// Result of running a program.
struct ProcessResult {
    int exitStatus = -1; // exit code, or 128 + signal
    std::string standardOutput;
    std::string standardError;
};
// Runs `arguments` (arguments[0] is the program path) with `input` on standard input and the
// given environment additions/overrides ("NAME=value").
ProcessResult runProcess(const std::vector<std::string>& arguments, std::string_view input = {},
                         const std::vector<std::string>& environment = {});

} // namespace quorvel::testing
