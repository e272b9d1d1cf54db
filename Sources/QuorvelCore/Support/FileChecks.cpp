#include "Support/FileChecks.h"

#include "Model/StatusError.h"

#include <unistd.h>

namespace quorvel::FileChecks {

FileInfo requireRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes) {
    FileInfo info = FileInfo::of(path);
    requireRegularFile(info, maxBytes);
    return info;
}

void requireRegularFile(const FileInfo& info, std::uint64_t maxBytes) {
    if (!info.isRegular() || info.size > maxBytes)
        throw StatusError::invalidRecord();
}

// The real user: the account that ran the process, whatever identity it may have taken on.
bool isOwnedByCurrentUser(const FileInfo& info) {
    return info.owner == ::getuid();
}

void requireSafeExternalParent(const std::filesystem::path& path) {
    if (auto parent = FileInfo::ifExists(path.parent_path())) {
        if (!parent->isDirectory() || !isOwnedByCurrentUser(*parent))
            throw StatusError::invalidRecord();
    }
}

void requireSafeExternalTarget(const std::filesystem::path& path, std::uint64_t maxBytes) {
    requireSafeExternalParent(path);
    if (auto file = FileInfo::ifExists(path)) {
        if (!file->isRegular() || file->size > maxBytes || !isOwnedByCurrentUser(*file))
            throw StatusError::invalidRecord();
    }
}

} // namespace quorvel::FileChecks
