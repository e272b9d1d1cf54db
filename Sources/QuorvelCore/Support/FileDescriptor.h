#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel {

// Owns one open file descriptor and closes it on every path.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool valid() const { return fd_ >= 0; }
    int get() const { return fd_; }
    int release();
    int close();

    // Size by seeking to the end (throws std::system_error).
    std::uint64_t seekEnd(const std::filesystem::path& pathForErrors) const;
    // Reads up to `count` bytes from `offset` (pread), fewer at the end of the file.
    std::string readAt(std::uint64_t offset, std::uint64_t count,
                       const std::filesystem::path& pathForErrors) const;
    // Reads up to `count` bytes from the current position.
    std::string readUpTo(std::uint64_t count, const std::filesystem::path& pathForErrors) const;
    // Writes all bytes at the current position (throws std::system_error).
    void writeAll(std::string_view bytes, const std::filesystem::path& pathForErrors) const;
    // Writes all bytes to a descriptor this program does not own, such as standard output; false when
    // they could not all be written.
    static bool writeAllTo(int descriptor, std::string_view bytes);

private:
    int fd_;
};

} // namespace quorvel
