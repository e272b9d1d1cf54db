#include "Support/UnreadableFile.h"

#include "Support/FileInfo.h"
#include "Support/StandardError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <system_error>

namespace quorvel::UnreadableFile {

namespace {

// Renames without ever replacing what is at `to`.
void renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        throw std::system_error(errno, std::generic_category(), to.string());
    // A file system without the flag.
    if (FileInfo::ifExists(to))
        throw std::system_error(EEXIST, std::generic_category(), to.string());
    if (::rename(from.c_str(), to.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), to.string());
}

} // namespace

bool loadOrKeepAside(const std::filesystem::path& file, Date now, const std::function<void()>& load) {
    try {
        load();
        return true;
    } catch (const std::exception&) {
    }
    const auto info = FileInfo::ifExists(file);
    if (!info || info->isSymlink())
        return false;
    const std::filesystem::path kept = keptPath(file, now);
    renameWithoutReplacing(file, kept);
    StandardError::writeLine("Quorvel: " + file.string() + " could not be read; it is kept as " +
                             kept.string());
    return false;
}

std::filesystem::path keptPath(const std::filesystem::path& file, Date now) {
    std::string stamp = Iso8601::formatWholeSeconds(std::clamp(now, Iso8601::earliest, Iso8601::latest));
    std::erase(stamp, ':');
    std::filesystem::path kept = file;
    kept += ".unreadable-" + stamp;
    return kept;
}

} // namespace quorvel::UnreadableFile
