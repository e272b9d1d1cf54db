#pragma once

#include "Support/FileDescriptor.h"

#include <filesystem>
#include <string>

namespace quorvel {

// One running copy of the application per user and home: the first start holds an exclusive lock
// (flock) on a file in Quorvel's own data folder for as long as it runs. The kernel drops the lock when
// its holder ends, however it ends, so a killed copy never keeps a later start from running.
class SingleInstanceGuard {
public:
    enum class Outcome {
        first,           // this process holds the lock
        anotherCopyRuns, // another process holds it
        failed,          // the lock cannot be taken: the program must not run
    };

    static constexpr const char* lockFileName = "quorvel.lock";

    // The lock file of this home, whatever the session's environment.
    static std::filesystem::path lockFile(const std::filesystem::path& home);

    // Makes the lock file's folder (0700) when missing and takes the lock when it is free; the outcome
    // tells. The folder must be a real folder of this user's and the lock file a regular file of this
    // user's: neither is followed when it is a link. Nothing is written to the file.
    explicit SingleInstanceGuard(const std::filesystem::path& lockFile);

    Outcome outcome() const { return outcome_; }
    // Why the lock could not be taken, naming the path.
    const std::string& problem() const { return problem_; }

private:
    // An empty text when the folder is safe to hold the lock, else what is wrong with it.
    static std::string folderProblem(const std::filesystem::path& folder);
    void takeLock(const std::filesystem::path& lockFile);

    FileDescriptor lock_;
    Outcome outcome_ = Outcome::failed;
    std::string problem_;
};

} // namespace quorvel
