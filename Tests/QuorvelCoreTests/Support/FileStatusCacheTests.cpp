#include "ScriptedFolderWatch.h"
#include "Support/DirectoryListing.h"
#include "Support/DirectoryWalker.h"
#include "Support/FileStatusCache.h"
#include "TestSupport.h"
#include "WallClock.h"

#include <fstream>
#include <gtest/gtest.h>
#include <linux/magic.h>

namespace quorvel {
namespace {

using testing::ScriptedFolderWatch;
using testing::TemporaryDirectory;
using testing::writeFile;
namespace fs = std::filesystem;

void append(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::app) << bytes;
}

class FileStatusCacheTest : public ::testing::Test {
protected:
    // What a walk of the folder sees: each entry with its kind and size, through the cache or not.
    std::vector<std::string> walked(DirectoryListingCache* listings) {
        std::vector<std::string> seen;
        DirectoryWalker::walkEntries(
            root,
            [&](const DirectoryWalker::Entry& entry) {
                const FileInfo info = entry.info();
                seen.push_back(entry.path().lexically_relative(root).string() +
                               (info.isDirectory() ? "/" : " " + std::to_string(info.size)));
                return true;
            },
            listings);
        return seen;
    }

    // One pass `seconds` after the last: walks through the cache and checks it against a fresh walk.
    // Returns how many questions the pass asked of the file system.
    std::uint64_t pass(const char* step, double seconds = 3) {
        moment = moment + seconds;
        const auto before = files.statistics().asked;
        files.beginPass(moment);
        listings.beginPass(moment, &files);
        seen = walked(&listings);
        EXPECT_EQ(seen, walked(nullptr)) << step;
        listings.endPass();
        files.endPass();
        return files.statistics().asked - before;
    }

    TemporaryDirectory folder;
    fs::path root = folder.path(); // of the walks
    std::shared_ptr<ScriptedFolderWatch::Script> script = std::make_shared<ScriptedFolderWatch::Script>();
    FileStatusCache files{std::make_unique<ScriptedFolderWatch>(script)};
    DirectoryListingCache listings;
    Date moment = testing::wallClock();
    std::vector<std::string> seen;
};

} // namespace

TEST_F(FileStatusCacheTest, APassAfterNothingChangedAsksNothingAndAnEventOnlyWhatItNames) {
    writeFile(folder / "a/1.jsonl", "one");
    writeFile(folder / "a/2.jsonl", "two");
    writeFile(folder / "b/3.jsonl", "three");
    EXPECT_EQ(pass("first pass"), 8u); // three folders listed; three files and two folders asked
    EXPECT_EQ(pass("nothing changed"), 0u);
    EXPECT_EQ(files.statistics().sweeps, 1u);

    append(folder / "a/1.jsonl", "more");
    EXPECT_EQ(pass("one file grew"), 1u);
    EXPECT_EQ(seen[1], "a/1.jsonl 7");

    // A new file: its folder is listed again and the new entry asked; its neighbours stay known. The
    // folder's own times moved, so its parent's lstat of it is asked again too.
    writeFile(folder / "a/4.jsonl", "four");
    EXPECT_EQ(pass("a file added"), 3u);
    fs::remove(folder / "b/3.jsonl");
    EXPECT_EQ(pass("a file removed"), 2u);
    fs::rename(folder / "a/2.jsonl", folder / "a/5.jsonl");
    EXPECT_EQ(pass("a file renamed"), 3u);
    EXPECT_EQ(pass("nothing changed again"), 0u);
    EXPECT_EQ(files.statistics().sweeps, 1u);
}

TEST_F(FileStatusCacheTest, FoldersCreatedLaterAreWatchedFromTheirFirstListing) {
    writeFile(folder / "a/1.jsonl", "one");
    pass("first pass");
    // Files written right after their folder, before any pass could watch it.
    writeFile(folder / "c/d/5.jsonl", "five");
    writeFile(folder / "c/6.jsonl", "six");
    pass("folders created");
    append(folder / "c/d/5.jsonl", "!");
    EXPECT_EQ(pass("a file in the new folder grew"), 1u);
    EXPECT_EQ(pass("nothing changed"), 0u);
}

TEST_F(FileStatusCacheTest, FoldersReplacedOrMovedBringASweep) {
    writeFile(folder / "a/1.jsonl", "one");
    writeFile(folder / "b/2.jsonl", "two");
    pass("first pass");
    fs::rename(folder / "a", folder / "old");
    writeFile(folder / "a/3.jsonl", "three");
    pass("a folder replaced");
    EXPECT_EQ(files.statistics().sweeps, 2u);
    EXPECT_EQ(pass("nothing changed"), 0u);

    // Moved out of the tree and back under another name: the watch follows the folder, the paths do not.
    fs::rename(folder / "b", folder.path().parent_path() / (folder.path().filename().string() + "-b"));
    pass("a folder moved out");
    fs::rename(folder.path().parent_path() / (folder.path().filename().string() + "-b"), folder / "c");
    pass("a folder moved in");
    append(folder / "c/2.jsonl", "!");
    pass("a file in the moved folder grew");
    EXPECT_EQ(seen.back(), "old/1.jsonl 3");
    EXPECT_EQ(seen[seen.size() - 3], "c/2.jsonl 4");
    fs::remove_all(folder / "old");
    pass("a folder deleted");
    EXPECT_GE(files.statistics().sweeps, 4u);
}

// Nothing watches the folders above a walk's root: the root's path is looked up at each pass.
TEST_F(FileStatusCacheTest, AFolderAboveTheRootMovedOrReplacedBringsASweep) {
    root = folder / "home/.claude/projects";
    writeFile(root / "a/1.jsonl", "one");
    pass("first pass");
    fs::rename(folder / "home", folder / "home-old");
    writeFile(root / "b/2.jsonl", "two");
    pass("the home folder replaced");
    EXPECT_EQ(seen, (std::vector<std::string>{"b/", "b/2.jsonl 3"}));
    fs::remove_all(folder / "home");
    fs::create_directory_symlink(folder / "home-old", folder / "home");
    pass("the home folder replaced by a link");
    EXPECT_EQ(files.statistics().sweeps, 3u);
    EXPECT_EQ(pass("nothing changed"), 0u);
}

TEST_F(FileStatusCacheTest, LostEventsBringASweepOfEverything) {
    writeFile(folder / "a/1.jsonl", "one");
    pass("first pass");
    script->overflowOnce = true;
    EXPECT_EQ(pass("events lost"), 4u); // two folders listed and two entries asked again
    EXPECT_EQ(files.statistics().sweeps, 2u);
}

// A change the watch never reports (a write through a hard link in another folder, or a shared
// mapping) is late by one periodic sweep at most.
TEST_F(FileStatusCacheTest, AChangeWhoseEventNeverCameShowsAtTheNextPeriodicSweep) {
    writeFile(folder / "a/1.jsonl", "one");
    moment = moment + FileStatusCache::sweepInterval / 2;
    pass("first pass");
    script->dropEvents = true;
    append(folder / "a/1.jsonl", "more");
    moment = moment + 1;
    files.beginPass(moment);
    listings.beginPass(moment, &files);
    EXPECT_EQ(walked(&listings), (std::vector<std::string>{"a/", "a/1.jsonl 3"}));
    listings.endPass();
    files.endPass();
    pass("a minute after the last sweep", FileStatusCache::sweepInterval);
    EXPECT_EQ(seen[1], "a/1.jsonl 7");
    EXPECT_EQ(files.statistics().sweeps, 2u);
}

TEST_F(FileStatusCacheTest, FoldersThatCannotBeWatchedAreAskedAtEveryPass) {
    script->refuseWatches = true;
    writeFile(folder / "a/1.jsonl", "one");
    pass("first pass");
    EXPECT_EQ(pass("nothing changed"), 4u);
    append(folder / "a/1.jsonl", "more");
    pass("a file grew");
    EXPECT_EQ(seen[1], "a/1.jsonl 7");
    EXPECT_EQ(files.statistics().answered, 0u);
    EXPECT_EQ(files.statistics().watches, 0u);

    // Watches are tried again at the next sweep.
    script->refuseWatches = false;
    pass("the limit was raised", FileStatusCache::sweepInterval);
    EXPECT_EQ(pass("nothing changed"), 0u);
}

TEST_F(FileStatusCacheTest, WatchesEndWithTheFoldersNothingAsksAbout) {
    writeFile(folder / "a/1.jsonl", "one");
    writeFile(folder / "b/2.jsonl", "two");
    pass("first pass");
    EXPECT_EQ(files.statistics().watches, 3u);
    files.beginPass(moment + 3);
    EXPECT_TRUE(files.infoIfExists(folder / "a/1.jsonl"));
    files.endPass();
    EXPECT_EQ(files.statistics().watches, 1u);
    EXPECT_EQ(script->removed, 2);
}

// Single lstat questions answer as lstat does: links are described, not followed, and absence is
// known until the entry appears.
TEST_F(FileStatusCacheTest, SingleQuestionsAnswerAsLstat) {
    writeFile(folder / "target.json", "{}");
    fs::create_symlink(folder / "target.json", folder / "link.json");
    auto ask = [&](const fs::path& path) {
        moment = moment + 3;
        files.beginPass(moment);
        std::optional<FileInfo> info = files.infoIfExists(path);
        EXPECT_EQ(info, FileInfo::ifExists(path)) << path;
        files.endPass();
        return info;
    };
    EXPECT_TRUE(ask(folder / "link.json")->isSymlink());
    EXPECT_FALSE(ask(folder / "missing.json"));
    EXPECT_FALSE(ask(folder / "missing.json"));
    writeFile(folder / "missing.json", "{}");
    EXPECT_TRUE(ask(folder / "missing.json"));
    EXPECT_FALSE(ask(folder / "no-folder/file.json"));
    files.beginPass(moment + 3);
    EXPECT_THROW(files.infoIfExists(folder / "target.json/file.json"), std::system_error);
    files.endPass();
}

// A walk keeps its listings sorted by name beside the file system's order, which a plain listing of
// the same folder still gives.
TEST_F(FileStatusCacheTest, AListingKeepsTheFileSystemsOrderAfterAWalk) {
    for (const char* name : {"c.json", "a.json", "b.json", "e.json", "d.json"})
        writeFile(folder / name, "{}");
    pass("walk");
    files.beginPass(moment + 3);
    listings.beginPass(moment + 3, &files);
    EXPECT_EQ(DirectoryListing::entryNames(folder.path(), &listings),
              DirectoryListing::entryNames(folder.path()));
    listings.endPass();
    files.endPass();
}

TEST(InotifyFolderWatch, NetworkAndUserSpaceFileSystemsSendNoEvents) {
    for (long type :
         std::initializer_list<long>{NFS_SUPER_MAGIC, SMB_SUPER_MAGIC, CIFS_SUPER_MAGIC, SMB2_SUPER_MAGIC,
                                     FUSE_SUPER_MAGIC, V9FS_MAGIC, CEPH_SUPER_MAGIC, AFS_SUPER_MAGIC})
        EXPECT_TRUE(InotifyFolderWatch::sendsNoEvents(type)) << std::hex << type;
    for (long type : std::initializer_list<long>{EXT4_SUPER_MAGIC, TMPFS_MAGIC, BTRFS_SUPER_MAGIC,
                                                 XFS_SUPER_MAGIC, OVERLAYFS_SUPER_MAGIC})
        EXPECT_FALSE(InotifyFolderWatch::sendsNoEvents(type)) << std::hex << type;
}

} // namespace quorvel
