#include "Support/FolderLock.h"
#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <system_error>
#include <thread>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using namespace std::chrono_literals;

TEST(FolderLock, SecondHolderWaitsForTheFirstAndLeavesNoFile) {
    TemporaryDirectory folder;
    std::atomic<bool> firstReleased = false;
    std::atomic<bool> secondHeldBeforeRelease = false;
    std::thread second;
    {
        const FolderLock first(folder.path(), 0ms);
        EXPECT_TRUE(first.held());
        second = std::thread([&] {
            const FolderLock lock(folder.path(), 5s);
            secondHeldBeforeRelease = !firstReleased || !lock.held();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        firstReleased = true;
    }
    second.join();
    EXPECT_FALSE(secondHeldBeforeRelease);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// A holder that keeps the lock is waited for only as long as asked: then the lock goes untaken.
TEST(FolderLock, AHolderIsWaitedForAtMostThePatienceGiven) {
    TemporaryDirectory folder;
    const FolderLock first(folder.path(), 0ms);
    const auto start = std::chrono::steady_clock::now();
    const FolderLock second(folder.path(), 200ms);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.waitedOut());
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 2s);
    EXPECT_FALSE(first.waitedOut());
}

TEST(FolderLock, MissingFolderOrAFileThrows) {
    TemporaryDirectory folder;
    EXPECT_THROW(FolderLock(folder / "missing", 0ms), std::system_error);
    testing::writeFile(folder / "file", "x");
    EXPECT_THROW(FolderLock(folder / "file", 0ms), std::system_error);
}

} // namespace
} // namespace quorvel
