#include "Support/DirectoryWalker.h"
#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;

std::vector<std::string> walked(const std::filesystem::path& root) {
    std::vector<std::string> visited;
    EXPECT_TRUE(DirectoryWalker::walk(root, [&](const std::filesystem::path& path) {
        visited.push_back(path.lexically_relative(root).string());
    }));
    return visited;
}

TEST(DirectoryWalker, VisitsEachFolderBeforeItsContentsAndSkipsHiddenEntries) {
    TemporaryDirectory folder;
    writeFile(folder / "a/b/c.txt", "c");
    writeFile(folder / "a/.hidden/d.txt", "d");
    writeFile(folder / ".git/e.txt", "e");
    writeFile(folder / "a/.f.txt", "f");
    writeFile(folder / "g.txt", "g");

    const std::vector<std::string> visited = walked(folder.path());
    std::vector<std::string> sorted = visited;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"a", "a/b", "a/b/c.txt", "g.txt"}));
    const auto position = [&](std::string_view name) {
        return std::find(visited.begin(), visited.end(), name);
    };
    EXPECT_LT(position("a"), position("a/b"));
    EXPECT_LT(position("a/b"), position("a/b/c.txt"));
}

TEST(DirectoryWalker, VisitsLinksWithoutFollowingThem) {
    TemporaryDirectory folder;
    writeFile(folder / "target/inside.txt", "x");
    std::filesystem::create_directories(folder / "root");
    std::filesystem::create_directory_symlink(folder / "target", folder / "root/link");
    std::filesystem::create_directory_symlink(folder / "root", folder / "root/loop");
    std::vector<std::string> visited = walked(folder / "root");
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(visited, (std::vector<std::string>{"link", "loop"}));
}

TEST(DirectoryWalker, PassesOverFoldersThatCannotBeListed) {
    TemporaryDirectory folder;
    writeFile(folder / "gone/file.txt", "x");
    writeFile(folder / "kept/file.txt", "x");
    std::vector<std::string> visited;
    EXPECT_TRUE(DirectoryWalker::walk(folder.path(), [&](const std::filesystem::path& path) {
        visited.push_back(path.lexically_relative(folder.path()).string());
        if (path.filename() == "gone")
            std::filesystem::remove_all(path); // vanishes before it is listed
    }));
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(visited, (std::vector<std::string>{"gone", "kept", "kept/file.txt"}));
}

TEST(DirectoryWalker, MissingRootVisitsNothing) {
    TemporaryDirectory folder;
    int visits = 0;
    EXPECT_FALSE(DirectoryWalker::walk(folder / "missing", [&](const std::filesystem::path&) { ++visits; }));
    writeFile(folder / "file", "x");
    EXPECT_FALSE(DirectoryWalker::walk(folder / "file", [&](const std::filesystem::path&) { ++visits; }));
    EXPECT_EQ(visits, 0);
}

TEST(DirectoryWalker, EntryNamesListHiddenEntriesAndThrowForNonFolders) {
    TemporaryDirectory folder;
    writeFile(folder / ".hidden", "x");
    writeFile(folder / "shown", "x");
    std::vector<std::string> names = DirectoryWalker::entryNames(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "shown"}));
    EXPECT_THROW(DirectoryWalker::entryNames(folder / "shown"), std::system_error);
    EXPECT_THROW(DirectoryWalker::entryNames(folder / "missing"), std::system_error);
}

} // namespace
} // namespace quorvel
