#pragma once

#include "Support/FileDescriptor.h"

#include <chrono>
#include <filesystem>

namespace quorvel {

// An exclusive advisory lock (flock) on an open folder, held until the object goes and released by the
// system when its process ends, so it is never left stale. Processes that take it on the same folder run
// one at a time; readers that do not take it are never held up. Creates no file.
class FolderLock {
public:
    // Takes the lock, waiting at most `patience` while another holder keeps it. Throws std::system_error
    // when the folder cannot be opened. Where the lock is not taken in time, or cannot be taken at all
    // (some network mounts offer none), it goes on without it: `held()` is then false.
    FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience);

    bool held() const { return held_; }
    // Another holder kept the lock for all of `patience`.
    bool waitedOut() const { return waitedOut_; }

private:
    // One non-blocking attempt; false when another holder has the lock.
    bool tryLock();

    FileDescriptor folder_;
    bool held_ = false;
    bool waitedOut_ = false;
};

} // namespace quorvel
