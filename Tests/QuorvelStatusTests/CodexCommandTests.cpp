#include "CodexHistoryGenerator.h"
#include "StatusProcess.h"

#include <ctime>
#include <gtest/gtest.h>

using namespace quorvel::testing;
using nlohmann::json;

namespace {

std::string threadID(int number) {
    char text[40];
    std::snprintf(text, sizeof text, "019c8bfe-ec25-79e0-97d7-%012d", number);
    return text;
}

} // namespace

struct CodexCommand : StatusProcess, ::testing::Test {
    TemporaryDirectory codexHome;
    const double now = static_cast<double>(std::time(nullptr));

    // A session in /home/user/project whose file changed `age` seconds ago, named by its first user
    // message.
    void session(int number, std::string_view name, double age, bool finished) {
        std::string lines =
            sessionMetaLine(now - age - 60, threadID(number)) +
            codexLine(now - age - 50, "event_msg", {{"type", "task_started"}}) +
            codexLine(now - age - 40, "event_msg", {{"type", "user_message"}, {"message", name}});
        if (finished)
            lines +=
                codexLine(now - age, "event_msg", {{"type", "task_complete"}, {"last_agent_message", "ok"}});
        const auto file =
            codexHome / "sessions/2026/03/01" / ("rollout-" + std::to_string(number) + ".jsonl");
        writeFile(file, lines);
        setModificationTime(file, now - age);
    }

    void globalState(std::string_view unreadThread) {
        writeFile(
            codexHome / ".codex-global-state.json",
            json({{"electron-thread-read-state-v1",
                   {{"version", 1}, {"unreadByIdentity", {{"user", {{"local:/home/u", {unreadThread}}}}}}}},
                  {"thread-project-assignments",
                   {{threadID(2), {{"projectKind", "local"}, {"projectId", "p1"}}}}},
                  {"local-projects", {{"p1", {{"name", "Quorvel"}}}}}})
                .dump());
    }

    ProcessResult codex(std::vector<std::string> arguments = {"codex"}) const {
        return run(std::move(arguments), {}, {"CODEX_HOME=" + codexHome.path().string()});
    }
};

TEST_F(CodexCommand, PrintsTheVisibleStateNameAndProjectOfRecentTasksNewestFirst) {
    session(1, "Old finished task", 90000, true);
    session(2, "Read task", 200, true);
    session(3, "Unread task", 100, true);
    session(4, "Running task", 10, false);
    session(5, "Stalled task", 3000, false);
    globalState(threadID(3));

    const ProcessResult result = codex();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError, "");
    EXPECT_EQ(result.standardOutput, "Working\tRunning task\tproject\n"
                                     "Finished \u00b7 unread\tUnread task\tproject\n"
                                     "Finished \u00b7 read\tRead task\tQuorvel\n"
                                     "Unknown / disconnected\tStalled task\tproject\n");
}

TEST_F(CodexCommand, OpenDesktopApprovalMakesATaskWaitForTheUser) {
    session(3, "Finished task", 100, true);
    session(4, "Running task", 10, false);
    const auto unixNow = static_cast<std::time_t>(now);
    std::tm day{};
    ::gmtime_r(&unixNow, &day);
    char dayFolder[32];
    std::snprintf(dayFolder, sizeof dayFolder, "%04d/%02d/%02d", day.tm_year + 1900, day.tm_mon + 1,
                  day.tm_mday);
    writeFile(home / "Library/Logs/com.openai.codex" / dayFolder / "codex-desktop-main-t0-1.log",
              isoTimestamp(now - 5) +
                  " info [electron-message-handler] [desktop-notifications] show approval conversationId=" +
                  threadID(4) + " requestId=7 kind=commandExecution\n");
    const ProcessResult result = codex();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "Needs your attention\tRunning task\tproject\n"
                                     "Finished \u00b7 unread\tFinished task\tproject\n");
}

TEST_F(CodexCommand, UnreadableReadStateStillPrintsTheTasks) {
    session(2, "Finished task", 100, true);
    writeFile(codexHome / ".codex-global-state.json", "{broken");
    writeFile(dataDirectory() / "codex-automation-read-state.json", "[");
    const ProcessResult result = codex();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "Finished \u00b7 unread\tFinished task\tproject\n");
}

TEST_F(CodexCommand, QuorvelsOwnCodexMarksCountOnlyWithoutTheDesktopFlags) {
    session(2, "Marked task", 200, true);
    session(3, "Unmarked task", 100, true);
    writeFile(dataDirectory() / "codex-read-marks.json",
              json({{"readAt", {{threadID(2), isoTimestamp(now + 60).substr(0, 19) + "Z"}}}}).dump());
    ProcessResult result = codex();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "Finished \u00b7 unread\tUnmarked task\tproject\n"
                                     "Finished \u00b7 read\tMarked task\tproject\n");

    globalState(threadID(2)); // the desktop app's flags, where it keeps them, rule
    result = codex();
    EXPECT_EQ(result.standardOutput, "Finished \u00b7 read\tUnmarked task\tproject\n"
                                     "Finished \u00b7 unread\tMarked task\tQuorvel\n");

    std::filesystem::remove(codexHome / ".codex-global-state.json");
    writeFile(dataDirectory() / "codex-read-marks.json", "[");
    result = codex();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "Finished \u00b7 unread\tUnmarked task\tproject\n"
                                     "Finished \u00b7 unread\tMarked task\tproject\n");
}

TEST_F(CodexCommand, HomeWithoutRecentSessionsPrintsNothing) {
    session(1, "Yesterday", 90000, true);
    const ProcessResult result = codex();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, "");
}

TEST_F(CodexCommand, WithoutCodexHomeReadsTheDotCodexFolder) {
    const std::string file =
        sessionMetaLine(now - 30, threadID(7)) +
        codexLine(now - 20, "event_msg", {{"type", "user_message"}, {"message", "Home"}});
    writeFile(home / ".codex/sessions/a.jsonl", file);
    const ProcessResult result = runProcess(
        {"/usr/bin/env", "-u", "CODEX_HOME", "HOME=" + home.path().string(), QUORVEL_STATUS_BINARY, "codex"});
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "Unknown / disconnected\tHome\tproject\n");
}

TEST_F(CodexCommand, ExtraArgumentsAreAUsageError) {
    const ProcessResult result = codex({"codex", "now"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, expectedError("invalidRecord"));
}
