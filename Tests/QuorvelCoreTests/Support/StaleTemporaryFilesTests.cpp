#include "Support/FileIO.h"
#include "Support/Locations.h"
#include "Support/StaleTemporaryFiles.h"
#include "TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;

// The wall clock, as the application passes it at start-up.
Date now() {
    timespec time{};
    clock_gettime(CLOCK_REALTIME, &time);
    return Date::fromUnix(static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9);
}

// A minute after the files were written.
Date aMinuteOn() {
    return now() + StaleTemporaryFiles::staleAfterSeconds + 5;
}

TEST(StaleTemporaryFiles, KnowsOurTemporaryNamesOnly) {
    for (const char* ours : {".orca-state.json.a1B2c3", ".claude-read-state.json.ZZZZZZ",
                             ".3F2504E0-4F89-11D3-9A0C-0305E82C3301.json.000000",
                             ".quorvel-status-3f2504e0-4f89-11d3-9a0c-0305e82c3301"})
        EXPECT_TRUE(StaleTemporaryFiles::isTemporaryName(ours)) << ours;
    for (const char* theirs :
         {"orca-state.json", ".orca-state.json", ".orca-state.json.a1B2c", ".orca-state.json.a1B2c3d",
          ".orca-state.json.a1B2-3", ".notes.txt.a1B2c3", "..json.a1B2c3", ".json.a1B2c3", ".quorvel-status-",
          ".quorvel-status-not-a-uuid", "quorvel-status", ".quorvel-status", ".DS_Store"})
        EXPECT_FALSE(StaleTemporaryFiles::isTemporaryName(theirs)) << theirs;
}

// A save killed while it writes (here by its file size limit, as a kill -9 would) leaves its temporary
// file; the next start removes it once it is a minute old, and the saved file stays as it was.
TEST(StaleTemporaryFiles, WhatAKilledSaveLeftIsRemovedAtTheNextStart) {
    TemporaryDirectory home;
    const fs::path support = Locations::quorvelSupport(home.path());
    FileIO::createPrivateDirectories(support);
    FileIO::writeAtomically(support / "orca-state.json", "{}");
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit noCore{0, 0}, smallFiles{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &smallFiles);
        std::signal(SIGXFSZ, SIG_DFL);
        FileIO::writeAtomically(support / "orca-state.json", std::string(2 << 20, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was meant to be killed";

    std::vector<fs::path> leftovers;
    for (const auto& entry : fs::directory_iterator(support))
        if (entry.path().filename() != "orca-state.json")
            leftovers.push_back(entry.path());
    ASSERT_EQ(leftovers.size(), 1u);
    EXPECT_TRUE(StaleTemporaryFiles::isTemporaryName(leftovers[0].filename().string()));

    const auto folders = StaleTemporaryFiles::ownFolders(home.path());
    EXPECT_EQ(StaleTemporaryFiles::remove(folders, now()), 0u) << "a save may still be writing it";
    EXPECT_EQ(StaleTemporaryFiles::remove(folders, aMinuteOn()), 1u);
    EXPECT_FALSE(fs::exists(leftovers[0]));
    EXPECT_EQ(FileIO::readBounded(support / "orca-state.json", 100), "{}");
}

TEST(StaleTemporaryFiles, TouchesNothingButOurOwnRegularFilesInOurOwnFolders) {
    TemporaryDirectory home;
    const auto folders = StaleTemporaryFiles::ownFolders(home.path());
    for (const auto& folder : folders)
        FileIO::createPrivateDirectories(folder);
    const fs::path support = folders[0];
    const fs::path tasks = folders[1];
    const fs::path events = folders[2];
    const fs::path bin = folders[3];

    const std::vector<fs::path> stale = {support / ".codex-automation-read-state.json.Qw3rTy",
                                         tasks / ".local-build.json.abc123", events / ".session.json.XyZ789",
                                         bin / ".quorvel-status-3f2504e0-4f89-11d3-9a0c-0305e82c3301"};
    for (const auto& path : stale)
        testing::writeFile(path, "partial");

    const fs::path elsewhere = home / "notes.json";
    testing::writeFile(elsewhere, "mine");
    std::vector<fs::path> kept = {support / "orca-state.json", tasks / "local-build.json",
                                  support / ".orca-state.json.sub", support / ".backup.txt.abc123",
                                  home / ".claude" / ".settings.json.abc123"};
    for (const auto& path : kept)
        testing::writeFile(path, "keep");
    fs::create_directory(support / ".folder.json.abc123");
    kept.push_back(support / ".folder.json.abc123");
    fs::create_symlink(elsewhere, tasks / ".link.json.abc123");
    kept.push_back(tasks / ".link.json.abc123");
    if (::getuid() == 0) { // a file of another user, which only the superuser can make
        testing::writeFile(events / ".other.json.abc123", "theirs");
        ASSERT_EQ(::chown((events / ".other.json.abc123").c_str(), 4242, 4242), 0);
        kept.push_back(events / ".other.json.abc123");
    }

    EXPECT_EQ(StaleTemporaryFiles::remove(folders, aMinuteOn()), stale.size());
    for (const auto& path : stale)
        EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << path;
    for (const auto& path : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(path))) << path;
    EXPECT_EQ(FileIO::readBounded(elsewhere, 100), "mine");

    // A state folder that is a link to somewhere else is not ours to sweep.
    const fs::path realTasks = home / "elsewhere";
    testing::writeFile(realTasks / ".local-build.json.abc123", "partial");
    fs::remove_all(tasks);
    fs::create_directory_symlink(realTasks, tasks);
    EXPECT_EQ(StaleTemporaryFiles::remove(folders, aMinuteOn()), 0u);
    EXPECT_TRUE(fs::exists(realTasks / ".local-build.json.abc123"));

    // Missing folders are no error.
    fs::remove_all(home / "Library");
    EXPECT_EQ(StaleTemporaryFiles::remove(folders, aMinuteOn()), 0u);
}

} // namespace
} // namespace quorvel
