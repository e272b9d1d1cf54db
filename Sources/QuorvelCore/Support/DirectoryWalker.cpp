#include "Support/DirectoryWalker.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvel::DirectoryWalker {

namespace {

struct Entry {
    std::string name;
    bool isDirectory;
};

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

bool isDirectory(const std::filesystem::path& directory, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    struct stat status {};
    return ::lstat((directory / entry.d_name).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

DIR* openDirectory(const std::filesystem::path& directory, bool followLink) {
    const int descriptor =
        ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (descriptor < 0)
        return nullptr;
    DIR* handle = ::fdopendir(descriptor);
    if (handle == nullptr) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
    }
    return handle;
}

// Throws std::system_error when the folder cannot be opened or read to its end.
std::vector<Entry> list(const std::filesystem::path& directory, bool followLink) {
    std::unique_ptr<DIR, DirectoryCloser> handle(openDirectory(directory, followLink));
    if (!handle)
        throw std::system_error(errno, std::generic_category(), directory.string());
    std::vector<Entry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle.get());
        if (entry == nullptr && errno != 0)
            throw std::system_error(errno, std::generic_category(), directory.string());
        if (entry == nullptr)
            return entries;
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({std::string(name), isDirectory(directory, *entry)});
    }
}

// Sorted by name; only the root may be reached through a link.
std::optional<std::vector<Entry>> listIfReadable(const std::filesystem::path& directory, bool followLink) {
    try {
        std::vector<Entry> entries = list(directory, followLink);
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return entries;
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

struct Level {
    std::filesystem::path directory;
    std::vector<Entry> entries;
    std::size_t next = 0;
};

} // namespace

bool walk(const std::filesystem::path& root, const std::function<void(const std::filesystem::path&)>& visit) {
    return walkWhile(root, [&](const std::filesystem::path& path) {
        visit(path);
        return true;
    });
}

bool walkWhile(const std::filesystem::path& root,
               const std::function<bool(const std::filesystem::path&)>& visit) {
    std::optional<std::vector<Entry>> rootEntries = listIfReadable(root, true);
    if (!rootEntries)
        return false;
    std::vector<Level> stack;
    stack.push_back({root, std::move(*rootEntries)});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.entries.size()) {
            stack.pop_back();
            continue;
        }
        const Entry& entry = level.entries[level.next++];
        if (entry.name.starts_with('.'))
            continue;
        const bool descend = entry.isDirectory;
        std::filesystem::path path = level.directory / entry.name;
        if (!visit(path))
            return true;
        if (!descend)
            continue;
        if (std::optional<std::vector<Entry>> entries = listIfReadable(path, false))
            stack.push_back({std::move(path), std::move(*entries)});
    }
    return true;
}

} // namespace quorvel::DirectoryWalker
