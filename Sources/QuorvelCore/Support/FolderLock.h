#pragma once

#include "Support/FileDescriptor.h"

#include <filesystem>

namespace quorvel {

// An exclusive advisory lock (flock) on an open folder, held until the object goes and released by the
// system when its process ends, so it is never left stale. Processes that take it on the same folder run
// one at a time; readers that do not take it are never held up. Creates no file.
class FolderLock {
public:
    // Waits for the lock. Throws std::system_error when the folder cannot be opened. Where the lock
    // cannot be taken (some network mounts offer none) it goes on without it: `held()` is then false.
    explicit FolderLock(const std::filesystem::path& folder);

    bool held() const { return held_; }

private:
    FileDescriptor folder_;
    bool held_ = false;
};

} // namespace quorvel
