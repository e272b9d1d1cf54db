#include "Platform/SingleInstanceGuard.h"

#include "Support/FileChecks.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Locations.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>

namespace quorvel {

namespace {

std::string describe(const std::filesystem::path& path, const std::string& problem) {
    return path.string() + ": " + problem;
}

// What is wrong with a path that must be a file or folder of this user's, or an empty text.
std::string kindProblem(const FileInfo& info, FileInfo::Kind expected) {
    if (info.isSymlink())
        return "a symbolic link";
    if (info.kind != expected)
        return expected == FileInfo::Kind::directory ? "not a folder" : "not a regular file";
    if (!FileChecks::isOwnedByCurrentUser(info))
        return "owned by another user";
    return {};
}

} // namespace

std::filesystem::path SingleInstanceGuard::lockFile(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / lockFileName;
}

SingleInstanceGuard::SingleInstanceGuard(const std::filesystem::path& lockFile) {
    problem_ = folderProblem(lockFile.parent_path());
    if (problem_.empty())
        takeLock(lockFile);
}

std::string SingleInstanceGuard::folderProblem(const std::filesystem::path& folder) {
    try {
        FileIO::createPrivateDirectories(folder);
        const std::string problem = kindProblem(FileInfo::of(folder), FileInfo::Kind::directory);
        return problem.empty() ? problem : describe(folder, problem);
    } catch (const std::system_error& error) {
        return error.what();
    }
}

void SingleInstanceGuard::takeLock(const std::filesystem::path& lockFile) {
    // Close-on-exec: a program started from here (a browser, Orca) must not keep the lock alive. A FIFO
    // is opened without waiting for a writer, then refused.
    FileDescriptor file(
        ::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!file.valid()) {
        problem_ = describe(lockFile, errno == ELOOP ? "a symbolic link" : std::strerror(errno));
        return;
    }
    try {
        if (const auto problem =
                kindProblem(FileInfo::ofOpen(file.get(), lockFile.string()), FileInfo::Kind::regular);
            !problem.empty()) {
            problem_ = describe(lockFile, problem);
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
            problem_ = describe(lockFile, std::strerror(errno));
        return;
    }
    lock_ = std::move(file);
    outcome_ = Outcome::first;
}

} // namespace quorvel
