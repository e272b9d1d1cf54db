#include "Support/DirectoryListing.h"

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>

namespace quorvel::DirectoryListing {

bool exists(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    throw std::system_error(errno, std::generic_category(), "stat " + path.string());
}

std::vector<std::string> entryNames(const std::filesystem::path& directory) {
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(directory.c_str()), ::closedir);
    if (!handle)
        throw std::system_error(errno, std::generic_category(), "opendir " + directory.string());
    std::vector<std::string> names;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(handle.get());
        if (entry == nullptr)
            break;
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    if (errno != 0)
        throw std::system_error(errno, std::generic_category(), "readdir " + directory.string());
    return names;
}

std::vector<std::string> jsonEntryNames(const std::filesystem::path& directory) {
    if (!DirectoryListing::exists(directory))
        return {};
    std::vector<std::string> names = entryNames(directory);
    std::erase_if(names, [](const std::string& name) { return pathExtension(name) != "json"; });
    return names;
}

std::string_view pathExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

} // namespace quorvel::DirectoryListing
