#include "Platform/SingleInstanceGuard.h"
#include "Support/EventLoopWait.h"
#include "TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using Outcome = SingleInstanceGuard::Outcome;
using testing::ScopedEnvironmentVariable;
using testing::TemporaryDirectory;

class LockFolders : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(runtime);
        ::chmod(runtime.c_str(), 0700);
        std::filesystem::create_directory(temporary);
    }

    TemporaryDirectory root;
    const std::filesystem::path runtime = root / "runtime";
    const std::filesystem::path temporary = root / "tmp";
    const std::filesystem::path ownTemporary = temporary / ("quorvel-" + std::to_string(::getuid()));
    ScopedEnvironmentVariable runtimeVariable{"XDG_RUNTIME_DIR", runtime.string()};
    ScopedEnvironmentVariable temporaryVariable{"TMPDIR", temporary.string()};
};

TEST_F(LockFolders, ThePrivateRuntimeFolderHoldsTheLock) {
    EXPECT_EQ(SingleInstanceGuard::lockFile(), runtime / "quorvel.lock");
    EXPECT_FALSE(std::filesystem::exists(ownTemporary));
}

TEST_F(LockFolders, AnUnsafeRuntimeFolderGivesWayToAPrivateTemporaryFolder) {
    std::filesystem::create_directory(root / "elsewhere");
    ::chmod((root / "elsewhere").c_str(), 0700);
    std::filesystem::create_directory_symlink(root / "elsewhere", root / "link");
    testing::writeFile(root / "file", "");
    const std::vector<std::optional<std::string>> unsafe = {
        std::nullopt,
        "",
        "runtime",
        (root / "link").string(),
        (root / "file").string(),
        (root / "absent").string(),
    };
    for (const auto& value : unsafe) {
        ScopedEnvironmentVariable variable("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(SingleInstanceGuard::lockFile(), ownTemporary / "quorvel.lock") << value.value_or("unset");
    }
    EXPECT_EQ(testing::permissions(ownTemporary), 0700u);

    ::chmod(runtime.c_str(), 0755);
    EXPECT_EQ(SingleInstanceGuard::lockFile(), ownTemporary / "quorvel.lock") << "others may look in";
}

TEST_F(LockFolders, NoLockFileWhenTheTemporaryFolderIsNotOursAlone) {
    ScopedEnvironmentVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    std::filesystem::create_directory(root / "planted");
    std::filesystem::create_directory_symlink(root / "planted", ownTemporary);
    EXPECT_EQ(SingleInstanceGuard::lockFile(), std::nullopt) << "a link";
    EXPECT_FALSE(std::filesystem::exists(root / "planted/quorvel.lock"));

    std::filesystem::remove(ownTemporary);
    std::filesystem::create_directory(ownTemporary);
    ::chmod(ownTemporary.c_str(), 0777);
    EXPECT_EQ(SingleInstanceGuard::lockFile(), std::nullopt) << "open to everyone";

    if (::geteuid() == 0) {
        ::chmod(ownTemporary.c_str(), 0700);
        ASSERT_EQ(::chown(ownTemporary.c_str(), 65534, 65534), 0);
        EXPECT_EQ(SingleInstanceGuard::lockFile(), std::nullopt) << "another user's";
    }
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
    EXPECT_EQ(SingleInstanceGuard(lock).outcome(), Outcome::first);
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

TEST_F(Guards, ALockFileThatIsNotAFileOfOursRunsUnguardedAndTouchesNothing) {
    EXPECT_EQ(SingleInstanceGuard(std::nullopt).outcome(), Outcome::unguarded);

    testing::writeFile(folder / "target", "kept");
    std::filesystem::create_symlink(folder / "target", lock);
    const SingleInstanceGuard throughLink(lock);
    EXPECT_EQ(throughLink.outcome(), Outcome::unguarded);
    EXPECT_FALSE(throughLink.problem().empty());
    EXPECT_EQ(testing::readFile(folder / "target"), "kept");

    std::filesystem::remove(lock);
    ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
    EXPECT_EQ(SingleInstanceGuard(lock).outcome(), Outcome::unguarded) << "a pipe, opened without waiting";
}

} // namespace
} // namespace quorvel
