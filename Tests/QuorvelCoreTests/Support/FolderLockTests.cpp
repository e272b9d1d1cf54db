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

TEST(FolderLock, MissingFolderOrAFileThrows) {
    TemporaryDirectory folder;
    EXPECT_THROW(FolderLock(folder / "missing", 0ms), std::system_error);
    testing::writeFile(folder / "file", "x");
    EXPECT_THROW(FolderLock(folder / "file", 0ms), std::system_error);
}

} // namespace
} // namespace quorvel
