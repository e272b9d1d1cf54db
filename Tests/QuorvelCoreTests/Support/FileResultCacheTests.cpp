#include "Support/DirectoryListing.h"
#include "Support/FileResultCache.h"
#include "TestSupport.h"
#include "WallClock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

void rewriteInPlace(const std::filesystem::path& path, std::string_view bytes) {
    const int file = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::pwrite(file, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    ::close(file);
}

struct FileResultCacheTest : ::testing::Test {
    TemporaryDirectory folder;
    std::filesystem::path file = folder / "record.json";
    FileResultCache<std::string> cache;
    int reads = 0;

    std::string value(const FileKey& key) {
        return cache.value(file.string(), key, [&] {
            ++reads;
            return testing::readFile(file);
        });
    }
};

} // namespace

// A coarse clock leaves a same-size rewrite within one tick with the very same key; the cache must not
// take the first version for the second.
TEST_F(FileResultCacheTest, ASameSizeRewriteWithinASecondIsReadAgain) {
    testing::writeFile(file, R"({"state":"working"})");
    const FileKey key = FileKey::of(FileInfo::of(file));
    cache.beginPass(testing::wallClock());
    EXPECT_EQ(value(key), R"({"state":"working"})");

    rewriteInPlace(file, R"({"state":"waiting"})");
    cache.beginPass(testing::wallClock());
    EXPECT_EQ(value(key), R"({"state":"waiting"})") << "same key as a coarse clock would leave it";
    cache.beginPass(testing::wallClock() + 0.5);
    EXPECT_EQ(value(key), R"({"state":"waiting"})");
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(cache.hits(), 0u);
}

TEST_F(FileResultCacheTest, AVersionOlderThanASecondIsTrustedUntilItsKeyChanges) {
    testing::writeFile(file, "first");
    const FileKey key = FileKey::of(FileInfo::of(file));
    const Date written = Date::fromUnix(static_cast<double>(key.changedNanoseconds) / 1e9);
    for (int pass = 0; pass < 3; ++pass) {
        cache.beginPass(written + 1.01);
        EXPECT_EQ(value(key), "first");
        cache.endPass();
    }
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(cache.hits(), 2u);

    FileKey grown = key;
    grown.size += 1;
    cache.beginPass(written + 5);
    value(grown);
    EXPECT_EQ(reads, 2);

    cache.endPass();
    cache.beginPass(written + 6);
    cache.endPass();
    EXPECT_EQ(cache.size(), 0u) << "entries a pass did not use are dropped";
}

TEST(DirectoryListingCacheTest, AFolderListedWithinASecondOfItsChangeIsListedAgain) {
    TemporaryDirectory folder;
    testing::writeFile(folder / "a.json", "{}");
    DirectoryListingCache cache;
    cache.beginPass(testing::wallClock());
    EXPECT_EQ(DirectoryListing::entryNames(folder.path(), &cache), std::vector<std::string>{"a.json"});
    testing::writeFile(folder / "b.json", "{}");
    cache.beginPass(testing::wallClock());
    EXPECT_EQ(DirectoryListing::entryNames(folder.path(), &cache).size(), 2u);
    EXPECT_EQ(cache.hits(), 0u);

    const FileKey version = FileKey::of(FileInfo::of(folder.path()));
    const Date changed = Date::fromUnix(static_cast<double>(version.changedNanoseconds) / 1e9);
    for (int pass = 0; pass < 3; ++pass) {
        cache.beginPass(changed + 2);
        EXPECT_EQ(DirectoryListing::entryNames(folder.path(), &cache).size(), 2u);
        cache.endPass();
    }
    EXPECT_EQ(cache.hits(), 2u);
    std::filesystem::remove(folder / "a.json");
    cache.beginPass(changed + 3);
    EXPECT_EQ(DirectoryListing::entryNames(folder.path(), &cache), std::vector<std::string>{"b.json"});
}

} // namespace quorvel
