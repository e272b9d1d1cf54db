#include "Support/DirectoryListing.h"

#include "Support/FileDescriptor.h"

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

std::vector<std::string> entryNames(const std::filesystem::path& directory, DirectoryListingCache* cache) {
    FileDescriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        throwErrno("opendir", directory.string());
    auto list = [&] { return listOpenFolder(folder.get(), directory.string()); };
    if (cache == nullptr)
        return list().names;
    const FileKey version = FileKey::of(FileInfo::ofOpen(folder.get(), directory.string()));
    return cache->value(directory.string(), version, list).names;
}

std::vector<std::string> jsonEntryNames(const std::filesystem::path& directory,
                                        DirectoryListingCache* cache) {
    if (!DirectoryListing::exists(directory))
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
