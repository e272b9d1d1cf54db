#include "Model/StatusStore.h"
#include "Platform/Clock.h"
#include "Platform/ThreadPoolRefreshRunner.h"
#include "Refresh/RefreshWorker.h"
#include "Support/EventLoopWait.h"
#include "Support/Locations.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using namespace std::chrono_literals;

class ThreadPoolRefreshRunnerTest : public ::testing::Test {
protected:
    testing::TemporaryDirectory home;
    testing::ScopedEnvironmentVariable homeVariable{"HOME", home.path().string()};
    testing::ScopedEnvironmentVariable codexHome{"CODEX_HOME", std::nullopt};
    testing::ScopedEnvironmentVariable claudeHome{"CLAUDE_CONFIG_DIR", std::nullopt};
    SystemClock clock;

    // One refresh by a new runner, with neither provider enabled.
    std::optional<RefreshSnapshot> refreshOnce() {
        ThreadPoolRefreshRunner runner(clock);
        std::optional<RefreshSnapshot> result;
        QThread* deliveredOn = nullptr;
        runner.start(false, false, [&](RefreshSnapshot snapshot) {
            deliveredOn = QThread::currentThread();
            result = std::move(snapshot);
        });
        EXPECT_FALSE(result); // never delivered within the call
        EXPECT_TRUE(testing::waitUntil([&] { return result.has_value(); }, 10s));
        EXPECT_EQ(deliveredOn, QThread::currentThread());
        return result;
    }
};

TEST_F(ThreadPoolRefreshRunnerTest, ReadsTheHomeOffTheMainThreadAndDeliversOnIt) {
    StatusStore(StatusStore::defaultDirectory(home.path()))
        .write(TaskStatus::make("build", "Build", LightState::working, clock.now(),
                                std::string(localStatusSource)));
    const auto snapshot = refreshOnce();
    ASSERT_TRUE(snapshot);
    ASSERT_EQ(snapshot->tasks.size(), 1u);
    EXPECT_EQ(snapshot->tasks[0].name, "Build");
    EXPECT_EQ(snapshot->diagnostic, std::nullopt);
}

TEST_F(ThreadPoolRefreshRunnerTest, AnUnreadableTaskFolderGivesTheFailureSnapshot) {
    testing::writeFile(StatusStore::defaultDirectory(home.path()) / "bad.json", "{");
    const auto snapshot = refreshOnce();
    ASSERT_TRUE(snapshot);
    EXPECT_TRUE(snapshot->tasks.empty());
    EXPECT_EQ(snapshot->diagnostic, std::string(refreshFailureDiagnostic));
}

TEST_F(ThreadPoolRefreshRunnerTest, ASupportFolderThatIsALinkIsReadLikeAnyOther) {
    testing::TemporaryDirectory elsewhere;
    StatusStore(elsewhere / "tasks")
        .write(TaskStatus::make("build", "Build", LightState::done, clock.now(),
                                std::string(localStatusSource)));
    std::filesystem::create_directories(Locations::quorvelSupport(home.path()).parent_path());
    std::filesystem::create_symlink(elsewhere.path(), Locations::quorvelSupport(home.path()));
    const auto snapshot = refreshOnce();
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->tasks.size(), 1u);
}

TEST_F(ThreadPoolRefreshRunnerTest, DestroyingTheRunnerWaitsForTheRefreshAndDeliversNothing) {
    bool delivered = false;
    {
        ThreadPoolRefreshRunner runner(clock);
        runner.start(true, true, [&](RefreshSnapshot) { delivered = true; });
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

} // namespace
} // namespace quorvel
