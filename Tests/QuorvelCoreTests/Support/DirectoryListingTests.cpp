#include "Support/DirectoryListing.h"
#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace quorvel;
using quorvel::testing::TemporaryDirectory;
using quorvel::testing::writeFile;

TEST(DirectoryListing, PathExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(DirectoryListing::pathExtension("a.json"), "json");
    EXPECT_EQ(DirectoryListing::pathExtension(".a.json.XyZ123"), "XyZ123");
    EXPECT_EQ(DirectoryListing::pathExtension("README.JSON"), "JSON");
    EXPECT_EQ(DirectoryListing::pathExtension("json"), "");
    EXPECT_EQ(DirectoryListing::pathExtension("a."), "");
}

TEST(DirectoryListing, ListsHiddenEntriesButNotTheDotEntriesAndTellsMissingPaths) {
    TemporaryDirectory temp;
    writeFile(temp / ".hidden", "");
    writeFile(temp / "sub" / "deeper.json", "");
    std::vector<std::string> names = DirectoryListing::entryNames(temp.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "sub"}));
    EXPECT_TRUE(DirectoryListing::exists(temp / "sub"));
    EXPECT_FALSE(DirectoryListing::exists(temp / "missing"));
    EXPECT_FALSE(DirectoryListing::exists(temp / ".hidden" / "below-a-file"));
    EXPECT_THROW(DirectoryListing::entryNames(temp / ".hidden"), std::system_error);
}
