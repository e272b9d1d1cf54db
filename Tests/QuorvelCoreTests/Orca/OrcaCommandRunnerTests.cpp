#include "Orca/OrcaCommandRunner.h"
#include "Orca/OrcaNavigationError.h"
#include "Support/Json.h"
#include "TestSupport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

class OrcaCommandRunnerTest : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    TemporaryDirectory home;
    testing::ScopedEnvironmentVariable homeVariable{"HOME", home.path().string()};
    testing::ScopedEnvironmentVariable leakedVariable{"QUORVEL_SECRET", std::string("leaked")};

    std::filesystem::path script(const std::string& body) {
        const auto path = folder / ("tool-" + std::to_string(++scripts_));
        testing::writeFile(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    template <typename Error>
    Error errorOf(const OrcaCommandRunner& runner, const std::filesystem::path& tool) {
        try {
            runner.run(tool, {});
        } catch (const Error& error) {
            return error;
        }
        ADD_FAILURE() << "expected an error";
        throw std::logic_error("no error");
    }

private:
    int scripts_ = 0;
};

TEST_F(OrcaCommandRunnerTest, ReturnsStandardOutputWithArgumentsInOrder) {
    const OrcaCommandRunner runner(5.0, 4'000'000);
    const auto tool = script(R"(printf '%s|' "$@"; echo "ignored" >&2)");
    EXPECT_EQ(runner.run(tool, {"terminal", "list", "two words", "--json"}),
              "terminal|list|two words|--json|");
}

TEST_F(OrcaCommandRunnerTest, ChildGetsExactlyThreeVariablesTheHomeFolderAndNullInput) {
    const OrcaCommandRunner runner(5.0, 4'000'000);
    // The shell's own environment as it was handed over, before the shell adds variables of its own.
    const auto environment = runner.run(script(R"(tr '\0' '\n' < /proc/$$/environ | sort)"), {});
    EXPECT_EQ(environment,
              "HOME=" + home.path().string() + "\nLANG=en_US.UTF-8\nPATH=/usr/bin:/bin:/usr/sbin:/sbin\n");
    EXPECT_EQ(runner.run(script("pwd -P"), {}), home.path().string() + "\n");
    EXPECT_EQ(runner.run(script("readlink /proc/$$/fd/0"), {}), "/dev/null\n");
}

TEST_F(OrcaCommandRunnerTest, DescriptorsOpenedWithoutCloseOnExecDoNotReachTheChild) {
    const auto marker = folder / "inherited-marker";
    testing::writeFile(marker, "");
    const int fd = ::open(marker.c_str(), O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(fd, 0);
    const OrcaCommandRunner runner(5.0, 4'000'000);
    const auto listing = runner.run(script("ls -l /proc/$$/fd/; echo done"), {});
    ::close(fd);
    EXPECT_NE(listing.find("done"), std::string::npos);
    EXPECT_EQ(listing.find("inherited-marker"), std::string::npos) << listing;
}

TEST_F(OrcaCommandRunnerTest, OutputOverBothStreamsIsCappedAtTheLimit) {
    const OrcaCommandRunner runner(5.0, 1000);
    EXPECT_EQ(runner.run(script("head -c 1000 /dev/zero | tr '\\0' x"), {}), std::string(1000, 'x'));
    EXPECT_EQ(runner.run(script("head -c 600 /dev/zero | tr '\\0' x; head -c 400 /dev/zero >&2"), {}),
              std::string(600, 'x'))
        << "standard error counts but is not returned";

    for (const auto* body :
         {"head -c 1001 /dev/zero | tr '\\0' x", "head -c 600 /dev/zero; head -c 401 /dev/zero >&2",
          "head -c 1001 /dev/zero >&2; echo '{}'"}) {
        EXPECT_EQ(errorOf<OrcaNavigationError>(runner, script(body)), OrcaNavigationError::outputLimit())
            << body;
    }
}

TEST_F(OrcaCommandRunnerTest, EndlessOutputStopsAtTheLimit) {
    const OrcaCommandRunner runner(5.0, 100'000);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf<OrcaNavigationError>(runner, script("exec cat /dev/zero")),
              OrcaNavigationError::outputLimit());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

bool processGone(pid_t pid) {
    // A reaped child is gone from the process table; a zombie would still answer.
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

TEST_F(OrcaCommandRunnerTest, ChildOutlivingTheTimeoutIsKilledAndReaped) {
    const OrcaCommandRunner runner(0.3, 4'000'000);
    const auto pidFile = folder / "pid";
    const auto tool = script("echo $$ > '" + pidFile.string() + "'; echo partial; exec sleep 30");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf<OrcaNavigationError>(runner, tool), OrcaNavigationError::timedOut());
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    const pid_t pid = std::stoi(testing::readFile(pidFile));
    EXPECT_TRUE(processGone(pid)) << "no zombie left behind";
}

// Dead, though perhaps not yet reaped by whoever adopted it.
bool processEnded(pid_t pid) {
    std::string stat;
    try {
        stat = testing::readFile("/proc/" + std::to_string(pid) + "/stat");
    } catch (const std::exception&) {
        return true;
    }
    const auto state = stat.find(") ");
    return state == std::string::npos || stat[state + 2] == 'Z' || stat[state + 2] == 'X';
}

TEST_F(OrcaCommandRunnerTest, TimeoutAlsoEndsTheToolsOwnHelpers) {
    const OrcaCommandRunner runner(0.3, 4'000'000);
    const auto pidFile = folder / "helper-pid";
    const auto tool = script("sleep 30 & echo $! > '" + pidFile.string() + "'; wait");
    EXPECT_EQ(errorOf<OrcaNavigationError>(runner, tool), OrcaNavigationError::timedOut());
    const pid_t helper = std::stoi(testing::readFile(pidFile));
    for (int i = 0; i < 100 && !processEnded(helper); ++i)
        ::usleep(10'000);
    EXPECT_TRUE(processEnded(helper));
}

TEST_F(OrcaCommandRunnerTest, ToolThatCannotStartThrowsTheSystemError) {
    const OrcaCommandRunner runner(5.0, 4'000'000);
    EXPECT_EQ(errorOf<std::system_error>(runner, folder / "missing").code().value(), ENOENT);

    const auto notExecutable = folder / "plain";
    testing::writeFile(notExecutable, "#!/bin/sh\necho hi\n");
    EXPECT_EQ(errorOf<std::system_error>(runner, notExecutable).code().value(), EACCES);
}

TEST_F(OrcaCommandRunnerTest, ExitStatusAndOutputDecideTheOutcome) {
    const OrcaCommandRunner runner(5.0, 4'000'000);
    EXPECT_EQ(errorOf<OrcaNavigationError>(runner, script("exit 0")), OrcaNavigationError::unavailable());
    EXPECT_EQ(errorOf<OrcaNavigationError>(
                  runner, script(R"(echo '{"ok":false,"error":{"code":"terminal_not_found"}}'; exit 1)")),
              OrcaNavigationError::failed("terminal_not_found"));
    EXPECT_EQ(errorOf<OrcaNavigationError>(runner, script(R"(echo '{"ok":true,"result":{}}'; exit 1)")),
              OrcaNavigationError::unavailable());
    EXPECT_EQ(errorOf<OrcaNavigationError>(runner, script(R"(echo '[1]'; exit 2)")),
              OrcaNavigationError::invalidResponse());
    EXPECT_THROW(runner.run(script("echo not json; exit 1"), {}), JsonParseError);
    EXPECT_THROW(runner.run(script("exit 1"), {}), JsonParseError);
    EXPECT_THROW(runner.run(script("echo '{}'; kill -9 $$"), {}), OrcaNavigationError)
        << "killed by a signal";
}

} // namespace
} // namespace quorvel
