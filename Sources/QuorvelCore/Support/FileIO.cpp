#include "Support/FileIO.h"

#include "Model/StatusError.h"
#include "Support/FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvel::FileIO {
namespace {

[[noreturn]] void throwErrno(const std::filesystem::path& path) {
    throw std::system_error(errno, std::generic_category(), path.string());
}

} // namespace

std::string readBounded(const std::filesystem::path& path, std::uint64_t maxBytes) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        // ELOOP: a symbolic link; ENXIO: a socket or another special file that cannot be opened.
        if (errno == ELOOP || errno == ENXIO)
            throw StatusError::invalidRecord();
        throwErrno(path);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        throwErrno(path);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (!S_ISREG(status.st_mode) || size > maxBytes)
        throw StatusError::invalidRecord();
    // Sized by the file rather than by the cap; a file that grew since is read on up to one byte past it.
    std::string bytes = file.readUpTo(size + 1, path);
    if (bytes.size() > size && bytes.size() <= maxBytes)
        bytes += file.readUpTo(maxBytes + 1 - bytes.size(), path);
    if (bytes.size() > maxBytes)
        throw StatusError::invalidRecord();
    return bytes;
}

std::string readPrefix(const std::filesystem::path& path, std::uint64_t maxBytes) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid())
        throwErrno(path);
    return file.readUpTo(maxBytes, path);
}

void createPrivateDirectories(const std::filesystem::path& directory) {
    if (struct stat existing{}; ::stat(directory.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
        return; // the common case: one call instead of one per component
    std::filesystem::path current;
    for (const auto& component : directory) {
        current /= component;
        if (component.empty() || current == current.root_path())
            continue;
        if (::mkdir(current.c_str(), 0700) == 0) {
            ::chmod(current.c_str(), 0700);
            continue;
        }
        if (errno != EEXIST)
            throwErrno(current);
        struct stat status {};
        if (::stat(current.c_str(), &status) != 0)
            throwErrno(current);
        if (!S_ISDIR(status.st_mode))
            throw std::system_error(ENOTDIR, std::generic_category(), current.string());
    }
}

void writeAtomically(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
    std::string name = ".";
    name += path.filename().string();
    name += ".XXXXXX";
    std::string pattern = (path.parent_path() / name).string();
    FileDescriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!file.valid())
        throwErrno(path);
    const std::filesystem::path temporary = pattern;
    try {
        file.writeAll(bytes, temporary);
        if (::fchmod(file.get(), static_cast<mode_t>(mode)) != 0 || ::fdatasync(file.get()) != 0)
            throwErrno(temporary);
        if (file.close() != 0)
            throwErrno(temporary);
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            throwErrno(path);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

void requireWithinReadCap(std::string_view bytes, std::uint64_t maxBytes) {
    if (bytes.size() > maxBytes)
        throw StatusError::invalidRecord();
}

void writePrivateFile(const std::filesystem::path& path, std::string_view bytes) {
    createPrivateDirectories(path.parent_path());
    writeAtomically(path, bytes, 0600);
}

void removeIfExists(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throwErrno(path);
}

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

} // namespace quorvel::FileIO
