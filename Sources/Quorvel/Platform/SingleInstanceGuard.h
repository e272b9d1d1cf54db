#pragma once

#include "Support/FileDescriptor.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quorvel {

// One running copy of the application per user: the first start holds an exclusive lock (flock) on a
// file in a private folder of the user's for as long as it runs. The kernel drops the lock when its
// holder ends, however it ends, so a killed copy never keeps a later start from running.
class SingleInstanceGuard {
public:
    enum class Outcome {
        first,           // this process holds the lock
        anotherCopyRuns, // another process holds it
        unguarded,       // no safe lock file: run without the check
    };

    static constexpr const char* lockFileName = "quorvel.lock";

    // The lock file in $XDG_RUNTIME_DIR when that is a private folder of this user (absolute, a real
    // folder, owned by the user, closed to everyone else); otherwise in "quorvel-<uid>", such a folder
    // under $TMPDIR (when absolute) or /tmp, made when missing. None when neither folder is safe.
    static std::optional<std::filesystem::path> lockFile();

    // Takes the lock when it is free; the outcome tells. Nothing is written to the file.
    explicit SingleInstanceGuard(const std::optional<std::filesystem::path>& lockFile);

    Outcome outcome() const { return outcome_; }
    // Why the guard is unguarded, for the log.
    const std::string& problem() const { return problem_; }

private:
    FileDescriptor lock_;
    Outcome outcome_ = Outcome::unguarded;
    std::string problem_;
};

} // namespace quorvel
