#include "Support/DirectoryWalker.h"

#include "Support/DirectoryListing.h"
#include "Support/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>

namespace quorvel::DirectoryWalker {

namespace {

using Listing = FolderListing;

std::string joined(const std::string& folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (!folder.ends_with('/'))
        path += '/';
    path += name;
    return path;
}

// lstat takes paths of fewer than PATH_MAX bytes; the walk refuses what it would refuse.
bool isTooLong(std::size_t pathLength) {
    return pathLength >= PATH_MAX;
}

// The folder's entries sorted by name. Throws std::system_error when it cannot be read.
Listing sortedListing(int folder, const std::string& path) {
    Listing listing = DirectoryListing::listOpenFolder(folder, path);
    std::vector<std::size_t> order(listing.names.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return listing.names[a] < listing.names[b]; });
    Listing sorted;
    for (std::size_t i : order) {
        sorted.names.push_back(std::move(listing.names[i]));
        sorted.isDirectory.push_back(listing.isDirectory[i]);
    }
    return sorted;
}

// One open folder of the walk and its listing, from the cache when the folder is unchanged.
struct Level {
    std::string path;
    FileDescriptor folder;
    const Listing* cached = nullptr; // lives in the cache until the pass ends
    Listing own;
    std::size_t next = 0;

    const Listing& listing() const { return cached ? *cached : own; }
};

std::optional<FileKey> versionOf(const Level& level) {
    try {
        return FileKey::of(FileInfo::ofOpen(level.folder.get(), level.path));
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

std::optional<Level> openLevel(std::string path, FileDescriptor folder, DirectoryListingCache* cache) {
    Level level{std::move(path), std::move(folder), nullptr, {}, 0};
    const std::optional<FileKey> version = cache ? versionOf(level) : std::nullopt;
    auto list = [&] { return sortedListing(level.folder.get(), level.path); };
    try {
        if (version)
            level.cached = &cache->value(level.path, *version, list);
        else
            level.own = list();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    return level;
}

std::optional<Level> openRoot(const std::filesystem::path& root, DirectoryListingCache* cache) {
    FileDescriptor folder(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return std::nullopt;
    std::string path = root.string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return openLevel(std::move(path), std::move(folder), cache);
}

// Only the root may be reached through a link.
std::optional<Level> openChild(const Level& parent, std::string_view name, DirectoryListingCache* cache) {
    std::string path = joined(parent.path, name);
    if (isTooLong(path.size()))
        return std::nullopt;
    FileDescriptor folder(::openat(parent.folder.get(), std::string(name).c_str(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid())
        return std::nullopt;
    return openLevel(std::move(path), std::move(folder), cache);
}

} // namespace

std::string Entry::pathText() const {
    return joined(folder_, name_);
}

FileInfo Entry::info() const {
    const std::size_t length = folder_.size() + (folder_.ends_with('/') ? 0 : 1) + name_.size();
    if (isTooLong(length))
        throw std::system_error(ENAMETOOLONG, std::generic_category(), pathText());
    struct stat status {};
    if (::fstatat(folderDescriptor_, name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::system_error(errno, std::generic_category(), pathText());
    return FileInfo::of(status);
}

std::optional<FileInfo> Entry::infoIfExists() const {
    try {
        return info();
    } catch (const std::system_error& error) {
        if (error.code() == std::errc::no_such_file_or_directory)
            return std::nullopt;
        throw;
    }
}

bool walkEntries(const std::filesystem::path& root, const std::function<bool(const Entry&)>& visit,
                 DirectoryListingCache* cache) {
    std::optional<Level> rootLevel = openRoot(root, cache);
    if (!rootLevel)
        return false;
    std::vector<Level> stack;
    stack.push_back(std::move(*rootLevel));
    while (!stack.empty()) {
        Level& level = stack.back();
        const Listing& listing = level.listing();
        if (level.next == listing.names.size()) {
            stack.pop_back();
            continue;
        }
        const std::size_t index = level.next++;
        const std::string& name = listing.names[index];
        if (name.starts_with('.'))
            continue;
        const bool descend = listing.isDirectory[index];
        if (!visit(Entry(level.path, level.folder.get(), name)))
            return true;
        if (!descend)
            continue;
        if (std::optional<Level> child = openChild(level, name, cache))
            stack.push_back(std::move(*child)); // `level` and `name` are not used after this
    }
    return true;
}

bool walk(const std::filesystem::path& root, const std::function<void(const std::filesystem::path&)>& visit) {
    return walkWhile(root, [&](const std::filesystem::path& path) {
        visit(path);
        return true;
    });
}

bool walkWhile(const std::filesystem::path& root,
               const std::function<bool(const std::filesystem::path&)>& visit) {
    return walkEntries(root, [&](const Entry& entry) { return visit(entry.path()); });
}

} // namespace quorvel::DirectoryWalker
