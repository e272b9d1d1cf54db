#include "Platform/ShowRequestChannel.h"
#include "Platform/SingleInstanceGuard.h"
#include "Support/EventLoopWait.h"
#include "TestSupport.h"

#include <QLocalSocket>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using Outcome = SingleInstanceGuard::Outcome;
using testing::ScopedEnvironmentVariable;
using testing::TemporaryDirectory;

// The lock is the home's, in its private data folder, never the session's runtime or temporary folder:
// a start from ssh, su or cron finds the copy started in the desktop session.
TEST(LockFile, TheLockIsInTheHomesDataFolder) {
    TemporaryDirectory home;
    ScopedEnvironmentVariable data("XDG_DATA_HOME", (home / ".local/share").string());
    const auto lock = SingleInstanceGuard::lockFile(home.path());
    EXPECT_EQ(lock, home / ".local/share/quorvel/quorvel.lock");
    const SingleInstanceGuard first(lock);
    ASSERT_EQ(first.outcome(), Outcome::first) << first.problem();
    EXPECT_EQ(testing::permissions(lock.parent_path()), 0700u);
}

class Guards : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    const std::filesystem::path lock = folder / "quorvel.lock";
};

TEST_F(Guards, OnlyTheFirstHoldsTheLockAndItIsFreeAgainWhenThatEnds) {
    {
        const SingleInstanceGuard first(lock);
        EXPECT_EQ(first.outcome(), Outcome::first);
        EXPECT_EQ(testing::permissions(lock), 0600u);
        const SingleInstanceGuard second(lock);
        EXPECT_EQ(second.outcome(), Outcome::anotherCopyRuns);
        EXPECT_EQ(testing::readFile(lock), "") << "nothing written";
    }
    EXPECT_EQ(SingleInstanceGuard(lock).outcome(), Outcome::first);
}

// Another process takes the lock with flock(1), then becomes a long sleep that holds it until killed.
TEST_F(Guards, AKilledHolderLeavesNoStaleLock) {
    QProcess holder;
    holder.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec 9>>\"$0\" && flock 9 && exec sleep 60"),
                  QString::fromStdString(lock.string())});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_TRUE(
        testing::waitUntil([&] { return SingleInstanceGuard(lock).outcome() == Outcome::anotherCopyRuns; }));
    ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
    holder.waitForFinished();
    // flock(1) itself may still be ending, with the locked file open, when its shell is killed.
    EXPECT_TRUE(testing::waitUntil([&] { return SingleInstanceGuard(lock).outcome() == Outcome::first; }));
}

TEST_F(Guards, AProgramStartedByTheHolderDoesNotKeepTheLock) {
    QProcess child;
    {
        const SingleInstanceGuard holder(lock);
        ASSERT_EQ(holder.outcome(), Outcome::first);
        child.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        ASSERT_TRUE(child.waitForStarted());
    }
    EXPECT_EQ(SingleInstanceGuard(lock).outcome(), Outcome::first);
    child.kill();
    child.waitForFinished();
}

// A lock that cannot be taken for any other reason than another copy holding it fails, naming the path,
// and follows no link.
TEST_F(Guards, ALockFileOrFolderThatIsNotOursFailsWithItsPathAndTouchesNothing) {
    const auto expectFailure = [](const std::filesystem::path& path, const std::string& problem) {
        const SingleInstanceGuard guard(path);
        EXPECT_EQ(guard.outcome(), Outcome::failed) << path;
        EXPECT_TRUE(guard.problem().starts_with(problem)) << guard.problem();
    };
    testing::writeFile(folder / "target", "kept");
    std::filesystem::create_symlink(folder / "target", lock);
    expectFailure(lock, lock.string() + ": a symbolic link");
    EXPECT_EQ(testing::readFile(folder / "target"), "kept");
    std::filesystem::remove(lock);
    ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
    expectFailure(lock, lock.string() + ": not a regular file"); // opened without waiting for a writer
    std::filesystem::remove(lock);
    std::filesystem::create_directory(lock);
    expectFailure(lock, lock.string() + ": ");

    std::filesystem::create_directory(folder / "elsewhere");
    std::filesystem::create_directory_symlink(folder / "elsewhere", folder / "data");
    expectFailure(folder / "data/quorvel.lock", (folder / "data").string() + ": a symbolic link");
    EXPECT_TRUE(std::filesystem::is_empty(folder / "elsewhere"));
}

// The listener replaces what a killed copy left at the socket's place; only the request line shows.
TEST(ShowRequestChannel, EachRequestReachesTheListenerAndOtherTextsShowNothing) {
    TemporaryDirectory folder;
    const auto socket = ShowRequestChannel::socketFile(folder / "quorvel.lock");
    testing::writeFile(socket, "left behind");
    ShowRequestChannel channel;
    int shown = 0;
    ASSERT_EQ(channel.listen(socket, [&shown] { ++shown; }), "");
    EXPECT_EQ(testing::permissions(socket) & 077, 0u);
    for (const QByteArray& text : {QByteArray("hello\n"), QByteArray("show"), QByteArray(200, 's')}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(socket.string()));
        ASSERT_TRUE(client.waitForConnected());
        client.write(text);
        client.waitForBytesWritten();
        testing::waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(testing::waitUntil([&shown] { return shown == 2; }));
}

} // namespace
} // namespace quorvel
