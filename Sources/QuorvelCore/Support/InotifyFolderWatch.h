#pragma once

#include "Support/FileDescriptor.h"
#include "Support/FolderWatch.h"

namespace quorvel {

// A FolderWatch on one inotify instance. When the instance cannot be made (the per-user limit of
// instances), no folder can be watched and everything stays on the stat path.
class InotifyFolderWatch final : public FolderWatch {
public:
    InotifyFolderWatch();

    std::optional<int> add(const std::string& folder, bool followLink) override;
    void remove(int watch) override;
    Events take() override;

    // Whether a file system of this statfs type may change without the kernel seeing it (network and
    // cluster file systems, FUSE): inotify would stay silent about such changes.
    static bool sendsNoEvents(long fileSystemType);

private:
    FileDescriptor instance_;
};

} // namespace quorvel
