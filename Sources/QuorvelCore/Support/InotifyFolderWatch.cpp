#include "Support/InotifyFolderWatch.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace quorvel {
namespace {

constexpr std::uint32_t entryListChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t entryChanges = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE;
constexpr std::uint32_t folderEnds = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;
// IN_CLOSE_WRITE also reports writes made through a shared mapping, which send no IN_MODIFY.
constexpr std::uint32_t watchedEvents =
    entryListChanges | entryChanges | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

constexpr long gfs2SuperMagic = 0x01161970;
constexpr long lustreSuperMagic = 0x0BD00BD0;

std::optional<FolderWatch::Event> eventOf(const inotify_event& raw) {
    const std::string name =
        raw.len > 0 ? std::string(raw.name, ::strnlen(raw.name, raw.len)) : std::string();
    FolderWatch::Event event{raw.wd, FolderWatch::Change::entryChanged, name};
    if (raw.mask & folderEnds)
        event.change = FolderWatch::Change::folderGone;
    else if (raw.mask & entryListChanges)
        event.change = FolderWatch::Change::entryAddedOrRemoved;
    else if (name.empty() && (raw.mask & IN_ATTRIB))
        event.change = FolderWatch::Change::folderChanged;
    else if (name.empty() || !(raw.mask & entryChanges))
        return std::nullopt;
    return event;
}

} // namespace

InotifyFolderWatch::InotifyFolderWatch() : instance_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

bool InotifyFolderWatch::sendsNoEvents(long fileSystemType) {
    switch (fileSystemType) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case AFS_FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case NCP_SUPER_MAGIC:
    case V9FS_MAGIC:
    case FUSE_SUPER_MAGIC:
    case OCFS2_SUPER_MAGIC:
    case gfs2SuperMagic:
    case lustreSuperMagic:
        return true;
    default:
        return false;
    }
}

std::optional<int> InotifyFolderWatch::add(const std::string& folder, bool followLink) {
    if (!instance_.valid())
        return std::nullopt;
    struct statfs fileSystem {};
    if (::statfs(folder.c_str(), &fileSystem) != 0 || sendsNoEvents(static_cast<long>(fileSystem.f_type)))
        return std::nullopt;
    const int watch = ::inotify_add_watch(instance_.get(), folder.c_str(),
                                          watchedEvents | (followLink ? 0u : std::uint32_t{IN_DONT_FOLLOW}));
    if (watch < 0)
        return std::nullopt;
    return watch;
}

void InotifyFolderWatch::remove(int watch) {
    if (instance_.valid())
        ::inotify_rm_watch(instance_.get(), watch);
}

FolderWatch::Events InotifyFolderWatch::take() {
    Events taken;
    if (!instance_.valid())
        return taken;
    alignas(inotify_event) char buffer[64 * 1024];
    while (true) {
        const ssize_t length = ::read(instance_.get(), buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0 && errno != EAGAIN)
            taken.overflowed = true; // what could not be read is as good as lost
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* raw = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + raw->len);
            if (raw->mask & IN_Q_OVERFLOW)
                taken.overflowed = true;
            else if (std::optional<Event> event = eventOf(*raw))
                taken.events.push_back(std::move(*event));
        }
    }
    return taken;
}

} // namespace quorvel
