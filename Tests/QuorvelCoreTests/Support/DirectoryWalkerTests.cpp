#include "Support/DirectoryListing.h"
#include "Support/DirectoryWalker.h"
#include "TestSupport.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;

std::vector<std::string> walked(const std::filesystem::path& root,
                                const std::function<void(const std::filesystem::path&)>& also = {}) {
    std::vector<std::string> visited;
    EXPECT_TRUE(DirectoryWalker::walk(root, [&](const std::filesystem::path& path) {
        visited.push_back(path.lexically_relative(root).string());
        if (also)
            also(path);
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

TEST(DirectoryListing, EntryNamesListHiddenEntriesAndThrowForNonFolders) {
    TemporaryDirectory folder;
    writeFile(folder / ".hidden", "x");
    writeFile(folder / "shown", "x");
    std::vector<std::string> names = DirectoryListing::entryNames(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "shown"}));
    EXPECT_THROW(DirectoryListing::entryNames(folder / "shown"), std::system_error);
    EXPECT_THROW(DirectoryListing::entryNames(folder / "missing"), std::system_error);
}

TEST(DirectoryWalker, VisitsEachFoldersEntriesInNameOrderAndStopsWhenAsked) {
    TemporaryDirectory folder;
    writeFile(folder / "b/2.txt", "x");
    writeFile(folder / "b/1.txt", "x");
    writeFile(folder / "a.txt", "x");
    writeFile(folder / "c/d/e.txt", "x");
    EXPECT_EQ(walked(folder.path()),
              (std::vector<std::string>{"a.txt", "b", "b/1.txt", "b/2.txt", "c", "c/d", "c/d/e.txt"}));

    std::vector<std::string> visited;
    EXPECT_TRUE(DirectoryWalker::walkWhile(folder.path(), [&](const std::filesystem::path& path) {
        visited.push_back(path.lexically_relative(folder.path()).string());
        return visited.size() < 3;
    }));
    EXPECT_EQ(visited, (std::vector<std::string>{"a.txt", "b", "b/1.txt"}));
}

TEST(DirectoryWalker, NeverDescendsIntoAFolderReplacedByALink) {
    TemporaryDirectory folder;
    writeFile(folder / "outside/secret.txt", "x");
    writeFile(folder / "root/sub/file.txt", "x");
    std::vector<std::string> visited = walked(folder / "root", [&](const std::filesystem::path& path) {
        if (path.filename() == "sub") {
            std::filesystem::remove_all(path);
            std::filesystem::create_directory_symlink(folder / "outside", path);
        }
    });
    EXPECT_EQ(visited, (std::vector<std::string>{"sub"}));
}

// A folder whose path is longer than the system allows cannot be listed, whoever runs the test.
TEST(DirectoryWalker, PassesOverAFolderWhosePathIsTooLong) {
    TemporaryDirectory folder;
    writeFile(folder / "deep/z.txt", "x");
    const std::string component(250, 'd');
    const int depth = 20;
    std::vector<int> parents{::open((folder / "deep").c_str(), O_RDONLY | O_DIRECTORY)};
    for (int level = 0; level < depth; ++level) {
        ASSERT_EQ(::mkdirat(parents.back(), component.c_str(), 0700), 0);
        parents.push_back(::openat(parents.back(), component.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(parents.back(), 0);
    }

    std::vector<std::string> visited = walked(folder.path());
    EXPECT_EQ(visited.front(), "deep");
    EXPECT_EQ(visited.back(), "deep/z.txt");
    EXPECT_LT(visited.size(), 2u + depth);

    // Remove the chain from the inside out, relative to each parent.
    ::close(parents.back());
    parents.pop_back();
    for (auto parent = parents.rbegin(); parent != parents.rend(); ++parent) {
        ::unlinkat(*parent, component.c_str(), AT_REMOVEDIR);
        ::close(*parent);
    }
}

// With a listing cache a walk sees what a walk without one sees, as folders change between walks.
TEST(DirectoryWalker, WalksWithAListingCacheSeeWhatFreshWalksSee) {
    TemporaryDirectory folder;
    writeFile(folder / "a/1.jsonl", "x");
    writeFile(folder / "b/c/2.jsonl", "x");
    DirectoryListingCache cache;
    auto entries = [&](DirectoryListingCache* listings) {
        std::vector<std::string> seen;
        EXPECT_TRUE(DirectoryWalker::walkEntries(
            folder.path(),
            [&](const DirectoryWalker::Entry& entry) {
                seen.push_back(entry.path().lexically_relative(folder.path()).string() +
                               (entry.info().isDirectory() ? "/" : ""));
                return true;
            },
            listings));
        return seen;
    };
    auto expectSame = [&](const char* step) {
        const FileKey version = FileKey::of(FileInfo::of(folder.path()));
        cache.beginPass(Date::fromUnix(static_cast<double>(version.changedNanoseconds) / 1e9 + 60));
        EXPECT_EQ(entries(&cache), entries(nullptr)) << step;
        cache.endPass();
    };
    expectSame("first walk");
    expectSame("unchanged");
    EXPECT_GT(cache.hits(), 0u);
    writeFile(folder / "b/c/3.jsonl", "x");
    expectSame("a file added deep down");
    std::filesystem::remove_all(folder / "a");
    std::filesystem::create_directory_symlink(folder / "b", folder / "a");
    expectSame("a folder replaced by a link");
    EXPECT_EQ(entries(&cache), (std::vector<std::string>{"a", "b/", "b/c/", "b/c/2.jsonl", "b/c/3.jsonl"}));
}

TEST(DirectoryWalker, EntriesWhosePathIsTooLongForLstatAreRefused) {
    TemporaryDirectory folder;
    std::filesystem::path deep = folder.path();
    while (deep.string().size() < 3850) // the file below lies past PATH_MAX
        deep /= std::string(200, 'd');
    std::filesystem::create_directories(deep);
    const int directory = ::open(deep.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    ::close(::openat(directory, std::string(255, 'f').c_str(), O_CREAT | O_WRONLY, 0600));
    ::close(directory);
    int refused = 0;
    DirectoryWalker::walkEntries(folder.path(), [&](const DirectoryWalker::Entry& entry) {
        try {
            entry.info();
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), std::errc::filename_too_long);
            ++refused;
        }
        return true;
    });
    EXPECT_EQ(refused, 1);
}

} // namespace
} // namespace quorvel
