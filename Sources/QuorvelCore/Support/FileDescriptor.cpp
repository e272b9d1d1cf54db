#include "Support/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace quorvel {
namespace {

constexpr std::uint64_t chunkSize = 1 << 20;

[[noreturn]] void throwErrno(const std::filesystem::path& path) {
    throw std::system_error(errno, std::generic_category(), path.string());
}

// Up to `count` bytes in chunks, fewer at the end of the file; `readOnce(into, want, done)` reads once.
template <typename ReadOnce>
std::string readChunks(std::uint64_t count, const std::filesystem::path& pathForErrors, ReadOnce&& readOnce) {
    std::string bytes;
    while (bytes.size() < count) {
        const std::size_t before = bytes.size();
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - before, chunkSize));
        bytes.resize(before + want);
        const ssize_t got = readOnce(bytes.data() + before, want, before);
        if (got < 0) {
            bytes.resize(before);
            if (errno == EINTR)
                continue;
            throwErrno(pathForErrors);
        }
        bytes.resize(before + static_cast<std::size_t>(got));
        if (got == 0)
            break;
    }
    return bytes;
}

} // namespace

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

int FileDescriptor::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int FileDescriptor::close() {
    if (fd_ < 0)
        return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
}

std::uint64_t FileDescriptor::seekEnd(const std::filesystem::path& pathForErrors) const {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0)
        throwErrno(pathForErrors);
    return static_cast<std::uint64_t>(end);
}

std::string FileDescriptor::readAt(std::uint64_t offset, std::uint64_t count,
                                   const std::filesystem::path& pathForErrors) const {
    return readChunks(count, pathForErrors, [&](char* into, std::size_t want, std::size_t done) {
        return ::pread(fd_, into, want, static_cast<off_t>(offset + done));
    });
}

std::string FileDescriptor::readUpTo(std::uint64_t count, const std::filesystem::path& pathForErrors) const {
    return readChunks(count, pathForErrors,
                      [&](char* into, std::size_t want, std::size_t) { return ::read(fd_, into, want); });
}

void FileDescriptor::writeAll(std::string_view bytes, const std::filesystem::path& pathForErrors) const {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(pathForErrors);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool FileDescriptor::writeAllTo(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

} // namespace quorvel
