#include "Support/DirectoryWalker.h"

#include "Support/DirectoryListing.h"
#include "Support/FileDescriptor.h"
#include "Support/FileStatusCache.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>

namespace quorvel::DirectoryWalker {

namespace {

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

[[noreturn]] void throwErrno(int error, const std::string& path) {
    throw std::system_error(error, std::generic_category(), path);
}

// One folder of the walk and its listing (from a cache while the folder is unchanged). Its descriptor
// is opened only when something must be asked of the folder itself.
struct Level {
    std::string path;
    std::string name; // in the parent folder; empty for the root
    FileDescriptor folder;
    const FolderListing* cached = nullptr; // lives in a cache until the pass ends
    FolderListing own;
    FileStatusCache::Folder* known = nullptr;
    std::size_t next = 0;

    const FolderListing& listing() const { return cached ? *cached : own; }
};

} // namespace

class Walk {
public:
    explicit Walk(DirectoryListingCache* cache) : cache_(cache), files_(cache ? cache->files() : nullptr) {}

    // Adds the folder as the deepest level when it can be listed.
    bool enter(std::string path, std::string name) {
        Level& level = levels.emplace_back();
        level.path = std::move(path);
        level.name = std::move(name);
        try {
            list(levels.size() - 1);
            return true;
        } catch (const std::system_error&) {
            levels.pop_back();
            return false;
        }
    }

    // lstat of an entry of the deepest level.
    FileInfo info(const Entry& entry) {
        const std::size_t index = levels.size() - 1;
        auto stat = [&]() -> std::optional<FileInfo> {
            struct stat status {};
            const int folder = descriptor(index, entry.folder_);
            if (::fstatat(folder, entry.name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
                return FileInfo::of(status);
            if (errno == ENOENT)
                return std::nullopt;
            throwErrno(errno, entry.pathText());
        };
        Level& level = levels[index];
        const std::optional<FileInfo> info =
            level.known ? files_->listedEntryInfo(*level.known, entry.position_, stat) : stat();
        if (!info)
            throwErrno(ENOENT, entry.pathText());
        return *info;
    }

    bool isKnownOlderFile(const Level& level, std::uint32_t position, std::int64_t moment) const {
        return level.known && files_->isKnownOlderFile(*level.known, position, moment);
    }

    std::vector<Level> levels; // the deepest folder last, each below the one before

private:
    // Only the root may be reached through a link.
    int descriptor(std::size_t index, const std::string& pathForErrors) {
        Level& level = levels[index];
        if (level.folder.valid())
            return level.folder.get();
        int folder = -1;
        if (index == 0)
            folder = ::open(level.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        else
            folder = ::openat(descriptor(index - 1, pathForErrors), level.name.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0)
            throwErrno(errno, pathForErrors);
        level.folder = FileDescriptor(folder);
        return folder;
    }

    // The folder's listing sorted by name, from the listing cache while the folder keeps its version.
    void read(std::size_t index) {
        Level& level = levels[index];
        const int folder = descriptor(index, level.path);
        auto list = [&] {
            FolderListing listing = DirectoryListing::listOpenFolder(folder, level.path);
            listing.sortByName();
            return listing;
        };
        if (cache_)
            level.cached =
                &cache_->value(level.path, FileKey::of(FileInfo::ofOpen(folder, level.path)), list);
        else
            level.own = list();
    }

    // Throws std::system_error when the folder cannot be listed.
    void list(std::size_t index) {
        Level& level = levels[index];
        if (!files_) {
            read(index);
            return;
        }
        level.known = &files_->folder(level.path, index == 0);
        FolderListing& listing = files_->listing(*level.known, [&] {
            read(index);
            return level.listing();
        });
        listing.sortByName(); // a listing kept for a reader that wanted the file system's order
        level.cached = &listing;
    }

    DirectoryListingCache* cache_;
    FileStatusCache* files_;
};

std::string Entry::pathText() const {
    return joined(folder_, name_);
}

FileInfo Entry::info() const {
    const std::size_t length = folder_.size() + (folder_.ends_with('/') ? 0 : 1) + name_.size();
    if (isTooLong(length))
        throw std::system_error(ENAMETOOLONG, std::generic_category(), pathText());
    return walk_.info(*this);
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
                 DirectoryListingCache* cache, std::int64_t modifiedAfter) {
    std::string rootPath = root.string();
    while (rootPath.size() > 1 && rootPath.back() == '/')
        rootPath.pop_back();
    Walk walk(cache);
    if (!walk.enter(std::move(rootPath), {}))
        return false;
    while (!walk.levels.empty()) {
        Level& level = walk.levels.back();
        const FolderListing& listing = level.listing();
        if (level.next == listing.names.size()) {
            walk.levels.pop_back();
            continue;
        }
        const std::uint32_t index = listing.byName[level.next++];
        if (walk.isKnownOlderFile(level, index, modifiedAfter))
            continue; // before its name is even looked at
        const std::string& name = listing.names[index];
        if (name.starts_with('.'))
            continue;
        if (!visit(Entry(walk, level.path, name, index)))
            return true;
        if (!listing.isDirectory[index])
            continue;
        std::string path = joined(level.path, name);
        if (!isTooLong(path.size()))
            walk.enter(std::move(path), name); // `level` and `name` are not used after this
    }
    return true;
}

std::int64_t windowStart(Date now, double seconds) {
    return static_cast<std::int64_t>(std::floor(now.unixSeconds() - seconds - 1)) * 1'000'000'000;
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
