#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace quorvel {

// What lstat tells about one path; the link itself is described, never its target.
struct FileInfo {
    enum class Kind { regular, directory, symlink, other };

    Kind kind = Kind::other;
    std::uint64_t size = 0;
    uid_t owner = 0;
    unsigned permissions = 0; // st_mode & 07777
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t modifiedNanoseconds = 0; // since 1970
    std::int64_t changedNanoseconds = 0;  // since 1970

    bool isRegular() const { return kind == Kind::regular; }
    bool isDirectory() const { return kind == Kind::directory; }
    bool isSymlink() const { return kind == Kind::symlink; }
    double modifiedUnixSeconds() const { return static_cast<double>(modifiedNanoseconds) / 1e9; }
    bool operator==(const FileInfo&) const = default;

    // lstat; throws std::system_error (ENOENT included).
    static FileInfo of(const std::filesystem::path& path);
    // lstat; nothing when the path does not exist, throws std::system_error for other failures.
    static std::optional<FileInfo> ifExists(const std::filesystem::path& path);
    // What a stat call returned.
    static FileInfo of(const struct stat& status);
    // fstat of an open file or folder.
    static FileInfo ofOpen(int descriptor, const std::string& pathForErrors);
};

} // namespace quorvel
