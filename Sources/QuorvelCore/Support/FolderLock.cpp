#include "Support/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>

namespace quorvel {

FolderLock::FolderLock(const std::filesystem::path& folder)
    : folder_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!folder_.valid())
        throw std::system_error(errno, std::generic_category(), folder.string());
    int result = 0;
    do
        result = ::flock(folder_.get(), LOCK_EX);
    while (result != 0 && errno == EINTR);
    held_ = result == 0;
}

} // namespace quorvel
