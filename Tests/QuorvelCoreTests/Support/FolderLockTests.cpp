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

TEST(FolderLock, SecondHolderWaitsForTheFirstAndLeavesNoFile) {
    TemporaryDirectory folder;
    std::atomic<bool> firstReleased = false;
    std::atomic<bool> secondHeldBeforeRelease = false;
    std::thread second;
    {
        const FolderLock first(folder.path());
        EXPECT_TRUE(first.held());
        second = std::thread([&] {
            const FolderLock lock(folder.path());
            secondHeldBeforeRelease = !firstReleased;
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
    EXPECT_THROW(FolderLock(folder / "missing"), std::system_error);
    testing::writeFile(folder / "file", "x");
    EXPECT_THROW(FolderLock(folder / "file"), std::system_error);
}

} // namespace
} // namespace quorvel
