#include "Codex/SessionReader.h"
#include "Support/Date.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

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
        const std::filesystem::path copy = home / "sessions/2026" / session.file;
        std::filesystem::create_directories(copy.parent_path());
        std::filesystem::copy_file(realFile(session), copy);
        setModificationTime(copy, now.unixSeconds() - age);
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

} // namespace
} // namespace quorvel
