#include "Support/StaleTemporaryFiles.h"

#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeIntegration.h"
#include "Model/StatusStore.h"
#include "Support/DirectoryListing.h"
#include "Support/FileChecks.h"
#include "Support/FileDescriptor.h"
#include "Support/Locations.h"
#include "Support/Uuid.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::StaleTemporaryFiles {
namespace {

constexpr std::string_view helperCopyPrefix = ".quorvel-status-";
constexpr std::size_t uniqueSuffixLength = 6; // mkstemp's "XXXXXX"

bool isLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAtomicWriteName(std::string_view name) {
    constexpr std::string_view json = ".json";
    // "." + at least one character + ".json" + "." + the suffix.
    if (name.size() < 1 + 1 + json.size() + 1 + uniqueSuffixLength || name.front() != '.')
        return false;
    const std::string_view suffix = name.substr(name.size() - uniqueSuffixLength);
    const std::string_view target = name.substr(1, name.size() - 1 - uniqueSuffixLength - 1);
    return name[name.size() - uniqueSuffixLength - 1] == '.' &&
           std::all_of(suffix.begin(), suffix.end(), isLetterOrDigit) && target.ends_with(json);
}

bool isStale(const FileInfo& info, Date now) {
    const double cutoff = now.unixSeconds() - staleAfterSeconds;
    return static_cast<double>(info.modifiedNanoseconds) / 1e9 < cutoff &&
           static_cast<double>(info.changedNanoseconds) / 1e9 < cutoff;
}

std::size_t removeIn(const std::filesystem::path& folder, Date now) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!directory.valid())
        return 0;
    std::size_t removed = 0;
    try {
        if (!FileChecks::isOwnedByCurrentUser(FileInfo::ofOpen(directory.get(), folder.string())))
            return 0;
        for (const std::string& name :
             DirectoryListing::listOpenFolder(directory.get(), folder.string()).names) {
            struct stat status {};
            if (!isTemporaryName(name) ||
                ::fstatat(directory.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            const FileInfo info = FileInfo::of(status);
            if (info.isRegular() && FileChecks::isOwnedByCurrentUser(info) && isStale(info, now) &&
                ::unlinkat(directory.get(), name.c_str(), 0) == 0)
                ++removed;
        }
    } catch (const std::exception&) {
        // An unreadable folder keeps what it holds; the next start tries again.
    }
    return removed;
}

} // namespace

bool isTemporaryName(std::string_view name) {
    if (name.starts_with(helperCopyPrefix))
        return Uuid::isUuidText(name.substr(helperCopyPrefix.size()));
    return isAtomicWriteName(name);
}

std::vector<std::filesystem::path> ownFolders(const std::filesystem::path& home) {
    return {Locations::quorvelSupport(home), StatusStore::defaultDirectory(home),
            ClaudeHookStore::defaultDirectory(home),
            ClaudeIntegration::installedHelperURL(home).parent_path()};
}

std::size_t remove(const std::vector<std::filesystem::path>& folders, Date now) {
    std::size_t removed = 0;
    for (const auto& folder : folders)
        removed += removeIn(folder, now);
    return removed;
}

} // namespace quorvel::StaleTemporaryFiles
