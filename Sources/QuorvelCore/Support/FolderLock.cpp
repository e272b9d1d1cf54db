#include "Support/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <thread>

namespace quorvel {

namespace {
constexpr std::chrono::milliseconds pollInterval{10};
} // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience)
    : folder_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!folder_.valid())
        throw std::system_error(errno, std::generic_category(), folder.string());
    // Counted sleeps bound the wait without reading a clock; the uncontended path is one call.
    for (auto waited = std::chrono::milliseconds::zero(); !tryLock(); waited += pollInterval) {
        if (waited >= patience) {
            waitedOut_ = true;
            return;
        }
        std::this_thread::sleep_for(pollInterval);
    }
}

bool FolderLock::tryLock() {
    int result = 0;
    do
        result = ::flock(folder_.get(), LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    held_ = result == 0;
    return held_ || errno != EWOULDBLOCK;
}

} // namespace quorvel
