#include "Support/FileInfo.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace quorvel {
namespace {

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileInfo fromStat(const struct stat& status) {
    FileInfo info;
    if (S_ISREG(status.st_mode))
        info.kind = FileInfo::Kind::regular;
    else if (S_ISDIR(status.st_mode))
        info.kind = FileInfo::Kind::directory;
    else if (S_ISLNK(status.st_mode))
        info.kind = FileInfo::Kind::symlink;
    info.size = static_cast<std::uint64_t>(status.st_size);
    info.owner = status.st_uid;
    info.permissions = status.st_mode & 07777;
    info.device = status.st_dev;
    info.inode = status.st_ino;
    info.modifiedNanoseconds = nanoseconds(status.st_mtim);
    info.changedNanoseconds = nanoseconds(status.st_ctim);
    return info;
}

} // namespace

FileInfo FileInfo::of(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        throw std::system_error(errno, std::generic_category(), path.string());
    return fromStat(status);
}

std::optional<FileInfo> FileInfo::ifExists(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw std::system_error(errno, std::generic_category(), path.string());
    }
    return fromStat(status);
}

FileInfo FileInfo::of(const struct stat& status) {
    return fromStat(status);
}

FileInfo FileInfo::ofOpen(int descriptor, const std::string& pathForErrors) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        throw std::system_error(errno, std::generic_category(), pathForErrors);
    return fromStat(status);
}

} // namespace quorvel
