#include "Codex/SessionReader.h"
#include "CodexHistoryGenerator.h"
#include "Support/Date.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::codexLine;
using testing::fixturesDirectory;
using testing::readFile;
using testing::setModificationTime;
using testing::TemporaryDirectory;

// What each real Codex session file says, worked out by reading it: every file ends with a
// task_complete whose message proposes no plan, and no tool call in it waits for the user.
struct RealSession {
    const char* file;
    const char* threadID;
    const char* lastLine;  // timestamp of the last line, also the last task_complete
    const char* firstUser; // first non-empty user_message
};

const RealSession realSessions[] = {
    {"agent-history-exec.jsonl", "019e9625-802f-7e91-840a-cfe88d14117a", "2026-06-05T04:58:26.713Z",
     "[REDACTED_PROMPT]"},
    {"localpush-desktop-short.jsonl", "019c8bfe-ec25-79e0-97d7-bda6a9c575ff", "2026-02-23T19:36:02.635Z",
     "[REDACTED_MESSAGE len=98 sha=c002ff99]"},
    {"localpush-desktop-compacted.jsonl", "019c8a59-e9dd-71f0-9ae3-4079fe9726a9", "2026-02-24T12:09:44.294Z",
     "[REDACTED_MESSAGE len=32 sha=821fd802]"},
};

Date date(const char* text) {
    return *Iso8601::parseFractionalSeconds(text);
}

std::filesystem::path realFile(const RealSession& session) {
    return fixturesDirectory() / "codex" / session.file;
}

// A copy of `source` in the home's sessions folder, modified `age` seconds before `now`.
void placeSession(const std::filesystem::path& home, const std::filesystem::path& source, Date now,
                  double age) {
    const std::filesystem::path copy = home / "sessions/2026" / source.filename();
    std::filesystem::create_directories(copy.parent_path());
    std::filesystem::copy_file(source, copy);
    setModificationTime(copy, now.unixSeconds() - age);
}

TEST(SessionReaderRealFiles, EveryFileParsesToItsFinishedTurn) {
    for (const RealSession& session : realSessions) {
        SCOPED_TRACE(session.file);
        const TaskStatus task = SessionReader::parse(readFile(realFile(session)), "codex-x", "x");
        EXPECT_EQ(task.state, LightState::done);
        EXPECT_EQ(task.confirmedAttentionPending, false);
        EXPECT_EQ(task.updatedAt, date(session.lastLine));
        EXPECT_EQ(task.lastTurnBoundaryAt, date(session.lastLine));
    }
}

TEST(SessionReaderRealFiles, EveryFileGivesItsIdAndName) {
    for (const RealSession& session : realSessions) {
        SCOPED_TRACE(session.file);
        EXPECT_EQ(SessionReader::sessionID(realFile(session)), session.threadID);
        EXPECT_EQ(SessionReader::conversationName(realFile(session)), session.firstUser);
    }
}

TEST(SessionReaderRealFiles, UnfinishedTurnIsWorking) {
    // The short session without its final task_complete line: its turn started at 19:34:26.099.
    std::string bytes = readFile(fixturesDirectory() / "codex/localpush-desktop-short.jsonl");
    bytes.pop_back();
    bytes.resize(bytes.rfind('\n') + 1);
    const TaskStatus task = SessionReader::parse(bytes, "codex-x", "x");
    EXPECT_EQ(task.state, LightState::working);
    EXPECT_EQ(task.confirmedAttentionPending, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, date("2026-02-23T19:34:26.099Z"));
    EXPECT_LT(task.updatedAt, date("2026-02-23T19:36:02.635Z"));
}

TEST(SessionReaderRealFiles, LoadListsEveryFileOfACodexHome) {
    TemporaryDirectory home;
    const Date now = date("2026-06-05T12:00:00.000Z");
    double age = 10;
    for (const RealSession& session : realSessions) {
        placeSession(home.path(), realFile(session), now, age);
        age += 10;
    }
    const std::vector<TaskStatus> tasks = SessionReader::load(home.path(), now, SessionReader::unlimited);
    ASSERT_EQ(tasks.size(), std::size(realSessions));
    for (std::size_t index = 0; index < tasks.size(); ++index) {
        const RealSession& session = realSessions[index];
        SCOPED_TRACE(session.file);
        EXPECT_EQ(tasks[index].id, std::string("codex-") + session.threadID);
        EXPECT_EQ(tasks[index].name, session.firstUser);
        EXPECT_EQ(tasks[index].state, LightState::done);
        // The compacted file is larger than the 524,288 bytes read; its tail still ends the same way.
        EXPECT_EQ(tasks[index].updatedAt, date(session.lastLine));
        EXPECT_EQ(tasks[index].lastTurnBoundaryAt, date(session.lastLine));
        EXPECT_EQ(tasks[index].isScheduled, false);
    }
}

// --- What today's client (Codex CLI 0.171.0) writes ---------------------------------------------------

std::filesystem::path todaysFile(std::string_view name) {
    return fixturesDirectory() / "clients-2026-12/codex" / name;
}

// While the interactive client asks "Would you like to run the following command?", the only trace is
// an exec_command call whose JSON arguments ask for require_escalated; its output comes once answered.
TEST(SessionReaderRealFiles, TodaysPendingCommandApprovalWaitsUntilItsOutput) {
    const std::string pending = readFile(todaysFile("codex-tui-approval-pending.rollout.jsonl"));
    TaskStatus task = SessionReader::parse(pending, "codex-x", "x");
    EXPECT_EQ(task.state, LightState::waiting);
    EXPECT_EQ(task.confirmedAttentionPending, true);
    EXPECT_EQ(task.lastTurnBoundaryAt, date("2026-12-09T04:19:28.029Z"));
    EXPECT_EQ(task.updatedAt, date("2026-12-09T04:19:28.294Z"));

    // Approved: the output of call_mock_15, then the turn goes on and ends.
    const std::string approved =
        pending +
        codexLine("2026-12-09T04:19:40.000Z", "response_item",
                  {{"type", "function_call_output"}, {"call_id", "call_mock_15"}, {"output", "qv-ran"}});
    task = SessionReader::parse(approved, "codex-x", "x");
    EXPECT_EQ(task.state, LightState::working);
    EXPECT_EQ(task.confirmedAttentionPending, false);
    const std::string finished =
        approved + codexLine("2026-12-09T04:19:41.000Z", "event_msg",
                             {{"type", "task_complete"}, {"last_agent_message", "Done."}});
    EXPECT_EQ(SessionReader::parse(finished, "codex-x", "x").state, LightState::done);

    // Refused: the client writes the output ("aborted by user") and then turn_aborted.
    const std::string refused =
        pending +
        codexLine(
            "2026-12-09T04:19:40.000Z", "response_item",
            {{"type", "function_call_output"}, {"call_id", "call_mock_15"}, {"output", "aborted by user"}}) +
        codexLine("2026-12-09T04:19:40.010Z", "event_msg",
                  {{"type", "turn_aborted"}, {"reason", "interrupted"}});
    task = SessionReader::parse(refused, "codex-x", "x");
    EXPECT_EQ(task.state, LightState::done);
    EXPECT_EQ(task.confirmedAttentionPending, false);
}

// A failed request ends the turn with task_complete carrying an error object and no message.
TEST(SessionReaderRealFiles, TodaysTurnEndingInAnErrorFails) {
    const TaskStatus task =
        SessionReader::parse(readFile(todaysFile("codex-exec-error.rollout.jsonl")), "codex-x", "x");
    EXPECT_EQ(task.state, LightState::failed);
    EXPECT_EQ(task.confirmedAttentionPending, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, date("2026-12-09T04:19:58.028Z"));
    EXPECT_EQ(task.updatedAt, date("2026-12-09T04:19:58.028Z"));
}

// Without the desktop app's state file, the project is the session's folder.
TEST(SessionReaderRealFiles, TodaysFilesListedWithTheirFolderAsProject) {
    TemporaryDirectory home;
    const Date now = date("2026-12-09T04:30:00.000Z");
    placeSession(home.path(), todaysFile("codex-tui-approval-pending.rollout.jsonl"), now, 600);
    placeSession(home.path(), todaysFile("codex-exec-error.rollout.jsonl"), now, 300);
    const std::vector<TaskStatus> tasks = SessionReader::load(home.path(), now, SessionReader::unlimited);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].id, "codex-01a25907-8d97-7993-8f68-9677dec87880");
    EXPECT_EQ(tasks[0].name, "QV-ERROR Please answer in one line.");
    EXPECT_EQ(tasks[0].state, LightState::failed);
    EXPECT_EQ(tasks[1].id, "codex-01a25907-1b5f-71e3-b23a-a69023d88393");
    EXPECT_EQ(tasks[1].name, "QV-BASH please create the marker file");
    EXPECT_EQ(tasks[1].state, LightState::waiting);
    for (const TaskStatus& task : tasks)
        EXPECT_EQ(task.projectName, "gamma-svc");
}

} // namespace
} // namespace quorvel
