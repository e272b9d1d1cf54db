#include "Support/DirectoryListing.h"

#include "Support/FileDescriptor.h"
#include "Support/FileStatusCache.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvel::DirectoryListing {

namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

[[noreturn]] void throwErrno(std::string_view call, const std::string& path) {
    throw std::system_error(errno, std::generic_category(), std::string(call) + " " + path);
}

bool isDirectoryEntry(int folder, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    struct stat status {};
    return ::fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

bool exists(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    throw std::system_error(errno, std::generic_category(), "stat " + path.string());
}

FolderListing listOpenFolder(int folder, const std::string& pathForErrors) {
    const int copy = ::dup(folder);
    if (copy < 0)
        throwErrno("opendir", pathForErrors);
    std::unique_ptr<DIR, DirectoryCloser> handle(::fdopendir(copy));
    if (!handle) {
        const int error = errno;
        ::close(copy);
        errno = error;
        throwErrno("opendir", pathForErrors);
    }
    FolderListing listing;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(handle.get());
        if (entry == nullptr)
            break;
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        listing.names.emplace_back(name);
        listing.isDirectory.push_back(isDirectoryEntry(folder, *entry));
    }
    if (errno != 0)
        throwErrno("readdir", pathForErrors);
    return listing;
}

namespace {

FolderListing listed(const std::filesystem::path& directory, DirectoryListingCache* cache) {
    FileDescriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        throwErrno("opendir", directory.string());
    auto list = [&] { return listOpenFolder(folder.get(), directory.string()); };
    if (cache == nullptr)
        return list();
    const FileKey version = FileKey::of(FileInfo::ofOpen(folder.get(), directory.string()));
    return cache->value(directory.string(), version, list);
}

} // namespace

bool exists(const std::filesystem::path& path, FileStatusCache* files) {
    if (files) {
        try {
            const std::optional<FileInfo> info = files->infoIfExists(path);
            if (!info)
                return false;
            if (!info->isSymlink())
                return true;
        } catch (const std::system_error&) {
            // Asked again below, which tells which failures mean absence.
        }
    }
    return DirectoryListing::exists(path);
}

std::vector<std::string> entryNames(const std::filesystem::path& directory, DirectoryListingCache* cache) {
    FileStatusCache* files = cache ? cache->files() : nullptr;
    if (files == nullptr)
        return listed(directory, cache).names;
    return files->listing(files->folder(directory.string(), true), [&] { return listed(directory, cache); })
        .names;
}

std::vector<std::string> jsonEntryNames(const std::filesystem::path& directory,
                                        DirectoryListingCache* cache) {
    if (!DirectoryListing::exists(directory, cache ? cache->files() : nullptr))
        return {};
    std::vector<std::string> names = entryNames(directory, cache);
    std::erase_if(names, [](const std::string& name) { return pathExtension(name) != "json"; });
    return names;
}

std::string_view pathExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

} // namespace quorvel::DirectoryListing

namespace quorvel {

void FolderListing::sortByName() {
    if (byName.size() == names.size())
        return;
    byName.resize(names.size());
    for (std::uint32_t i = 0; i < byName.size(); ++i)
        byName[i] = i;
    std::sort(byName.begin(), byName.end(),
              [&](std::uint32_t a, std::uint32_t b) { return names[a] < names[b]; });
}

} // namespace quorvel
