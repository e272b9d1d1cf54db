#include "Support/DirectoryWalker.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;
using testing::writeFile;

std::vector<std::string> walkedPaths(const fs::path& root, std::size_t stopAfter = SIZE_MAX) {
    std::vector<std::string> paths;
    DirectoryWalker::walk(root, [&](const fs::path& path) {
        paths.push_back(path.lexically_relative(root).string());
        return paths.size() == stopAfter ? DirectoryWalker::Step::stop : DirectoryWalker::Step::proceed;
    });
    return paths;
}

TEST(DirectoryWalker, VisitsFoldersBeforeTheirContentsInNameOrder) {
    TemporaryDirectory temp;
    writeFile(temp / "b/2.txt", "x");
    writeFile(temp / "b/1.txt", "x");
    writeFile(temp / "a.txt", "x");
    writeFile(temp / "c/d/e.txt", "x");
    EXPECT_EQ(walkedPaths(temp.path()),
              (std::vector<std::string>{"a.txt", "b", "b/1.txt", "b/2.txt", "c", "c/d", "c/d/e.txt"}));
    EXPECT_EQ(walkedPaths(temp.path(), 3), (std::vector<std::string>{"a.txt", "b", "b/1.txt"}));
}

TEST(DirectoryWalker, SkipsHiddenEntriesAndNeverDescendsThroughLinks) {
    TemporaryDirectory temp;
    writeFile(temp / ".hidden.txt", "x");
    writeFile(temp / ".git/inside.txt", "x");
    writeFile(temp / "outside/secret.txt", "x");
    writeFile(temp / "tree/file.txt", "x");
    fs::create_directory_symlink(temp / "outside", temp / "tree/link");
    fs::create_symlink(temp / "outside/secret.txt", temp / "tree/file-link.txt");
    EXPECT_EQ(walkedPaths(temp / "tree"), (std::vector<std::string>{"file-link.txt", "file.txt", "link"}));
}

TEST(DirectoryWalker, ReportsARootThatCannotBeOpened) {
    TemporaryDirectory temp;
    writeFile(temp / "file.txt", "x");
    bool visited = false;
    auto visit = [&](const fs::path&) {
        visited = true;
        return DirectoryWalker::Step::proceed;
    };
    EXPECT_FALSE(DirectoryWalker::walk(temp / "missing", visit));
    EXPECT_FALSE(DirectoryWalker::walk(temp / "file.txt", visit));
    EXPECT_FALSE(visited);
    EXPECT_TRUE(DirectoryWalker::walk(temp.path(), visit));
}

// A folder whose path is longer than the system allows cannot be opened, whoever runs the test.
TEST(DirectoryWalker, PassesOverAFolderThatCannotBeOpened) {
    TemporaryDirectory temp;
    writeFile(temp / "deep/z.txt", "x");
    const std::string component(250, 'd');
    int depth = 0;
    int folder = ::open((temp / "deep").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    for (; depth < 20; ++depth) {
        ASSERT_EQ(::mkdirat(folder, component.c_str(), 0700), 0);
        int child = ::openat(folder, component.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = child;
        ASSERT_GE(folder, 0);
    }
    ::close(folder);

    auto paths = walkedPaths(temp.path());
    EXPECT_EQ(paths.front(), "deep");
    EXPECT_EQ(paths.back(), "deep/z.txt");
    EXPECT_LT(paths.size(), 2u + depth);

    // Remove the chain from the inside out, relative to each parent.
    std::vector<int> parents{::open((temp / "deep").c_str(), O_RDONLY | O_DIRECTORY)};
    for (int level = 1; level < depth; ++level)
        parents.push_back(::openat(parents.back(), component.c_str(), O_RDONLY | O_DIRECTORY));
    for (auto parent = parents.rbegin(); parent != parents.rend(); ++parent) {
        ::unlinkat(*parent, component.c_str(), AT_REMOVEDIR);
        ::close(*parent);
    }
}

TEST(DirectoryWalker, PassesOverAnUnreadableFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not restrict the superuser";
    TemporaryDirectory temp;
    writeFile(temp / "closed/inside.txt", "x");
    writeFile(temp / "open/inside.txt", "x");
    ::chmod((temp / "closed").c_str(), 0);
    auto paths = walkedPaths(temp.path());
    ::chmod((temp / "closed").c_str(), 0700);
    EXPECT_EQ(paths, (std::vector<std::string>{"closed", "open", "open/inside.txt"}));
}

} // namespace
} // namespace quorvel
