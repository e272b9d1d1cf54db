#include "Platform/SingleInstanceGuard.h"

#include "Support/FileChecks.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace quorvel {

namespace {

std::optional<std::filesystem::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return std::filesystem::path(value);
}

// A real folder (not a link), owned by this user, that nobody else may enter.
bool isPrivateFolder(const std::filesystem::path& folder) {
    try {
        const FileInfo info = FileInfo::of(folder);
        return info.isDirectory() && FileChecks::isOwnedByCurrentUser(info) && (info.permissions & 077) == 0;
    } catch (const std::system_error&) {
        return false;
    }
}

std::optional<std::filesystem::path> temporaryFolderOfOurOwn() {
    const auto folder =
        absoluteVariable("TMPDIR").value_or("/tmp") / ("quorvel-" + std::to_string(::getuid()));
    try {
        FileIO::createPrivateDirectories(folder);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    if (!isPrivateFolder(folder))
        return std::nullopt;
    return folder;
}

std::string describe(const std::filesystem::path& path, const std::string& problem) {
    return path.string() + ": " + problem;
}

} // namespace

std::optional<std::filesystem::path> SingleInstanceGuard::lockFile() {
    if (const auto runtime = absoluteVariable("XDG_RUNTIME_DIR"); runtime && isPrivateFolder(*runtime))
        return *runtime / lockFileName;
    if (const auto folder = temporaryFolderOfOurOwn())
        return *folder / lockFileName;
    return std::nullopt;
}

SingleInstanceGuard::SingleInstanceGuard(const std::optional<std::filesystem::path>& lockFile) {
    if (!lockFile) {
        problem_ = "no private folder for the lock file";
        return;
    }
    // Close-on-exec: a program started from here (a browser, Orca) must not keep the lock alive.
    FileDescriptor file(
        ::open(lockFile->c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!file.valid()) {
        problem_ = describe(*lockFile, std::strerror(errno));
        return;
    }
    try {
        const FileInfo info = FileInfo::ofOpen(file.get(), lockFile->string());
        if (!info.isRegular() || !FileChecks::isOwnedByCurrentUser(info)) {
            problem_ = describe(*lockFile, "not a file of this user");
            return;
        }
    } catch (const std::system_error& error) {
        problem_ = error.what();
        return;
    }
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            outcome_ = Outcome::anotherCopyRuns;
        else
            problem_ = describe(*lockFile, std::strerror(errno));
        return;
    }
    lock_ = std::move(file);
    outcome_ = Outcome::first;
}

} // namespace quorvel
