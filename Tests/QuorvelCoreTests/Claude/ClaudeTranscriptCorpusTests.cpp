#include "Claude/ClaudeSessionReader.h"
#include "ClaudeTranscriptLines.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using namespace testing::claude;
using testing::fixturesDirectory;
using testing::readFile;
using testing::TemporaryDirectory;
using testing::writeFile;

TEST(ClaudeTranscriptCorpus, GeneratedMultiMegabyteTranscript) {
    GeneratedTranscript transcript = generateTranscript(4'000'000);
    ASSERT_GT(transcript.bytes.size(), 4'000'000u);
    TaskStatus expected;
    expected.id = "claude-" + std::string(sessionA);
    expected.name = transcript.name;
    expected.state = LightState::waiting;
    expected.updatedAt = at(transcript.lastChange);
    expected.source = "Claude Code";
    expected.projectName = "app";
    expected.confirmedAttentionPending = true;

    auto whole = ClaudeSessionReader::parse(transcript.bytes, sessionB, "Claude task 0A1B2C3D");
    ASSERT_TRUE(whole);
    EXPECT_EQ(*whole, expected);

    // Read through the windows, while Claude Code has written another line but not yet its line feed.
    TemporaryDirectory temp;
    std::string unfinished = user("Never mind", timestampAfter(10'000'000));
    unfinished.pop_back();
    writeFile(temp / "t.jsonl", transcript.bytes + unfinished);
    std::string window =
        ClaudeSessionReader::transcriptData(temp / "t.jsonl", ClaudeSessionReader::transcriptWindowBytes);
    EXPECT_LE(window.size(), 2 * ClaudeSessionReader::transcriptWindowBytes);
    auto windowed = ClaudeSessionReader::parse(window, sessionB, "Claude task 0A1B2C3D");
    ASSERT_TRUE(windowed);
    EXPECT_EQ(*windowed, expected);
}

struct RealTranscript {
    const char* file;
    const char* fallbackID;
    const char* sessionID;
    const char* name;
    LightState state;
    const char* updatedAt;
    const char* projectName;
};

// Worked out from the files by hand (jq): the last user, dequeue or end_turn/tool_use assistant line
// sets the state, the first user line with plain text names the task, "cwd" gives the project.
// Claude Code writes "stop_reason": null on most assistant lines; the two spotter sessions that end in
// "[Request interrupted by user…]" are over, the others still work.
const RealTranscript realTranscripts[] = {
    {"agent-history-minimal.jsonl", "agent-history-minimal", "06090cb1-3e64-433a-bc7e-a621c0f596d2",
     "[REDACTED_PROMPT]", LightState::done, "2026-06-05T04:56:35.619Z", "workspace"},
    {"spotter-short.jsonl", "spotter-short", "55604662-cf2a-4331-851a-ec234028f8ca",
     "mix phx.server doesnt seem to start", LightState::done, "2026-02-10T21:12:02.480Z", "spotter"},
    {"spotter-tool-heavy.jsonl", "spotter-tool-heavy", "d6e0bada-1959-4eec-a9d2-0bfade768d8f",
     "start phoenix in background", LightState::done, "2026-02-10T22:59:46.748Z", "spotter"},
    {"spotter-with-subagent.jsonl", "spotter-with-subagent", "491e126e-1e71-469c-ade2-fcc8af567c74",
     "create the beads", LightState::working, "2026-02-10T22:03:47.750Z", "spotter"},
    {"spotter-large.jsonl", "spotter-large", "258c7280-ae70-4798-800f-63464d01a85d", "Implement spotter-gqc",
     LightState::working, "2026-02-11T21:46:21.651Z", "spotter-gqc"},
    // Every user line of a subagent is a side conversation: the fallback name stays.
    {"spotter-large/subagents/agent-a881341.jsonl", "agent-a881341", "258c7280-ae70-4798-800f-63464d01a85d",
     "Claude task agent-a8", LightState::working, "2026-02-11T21:24:28.697Z", "spotter-gqc"},
};

TEST(ClaudeTranscriptCorpus, EveryRealClaudeTranscript) {
    for (const RealTranscript& real : realTranscripts) {
        SCOPED_TRACE(real.file);
        std::filesystem::path path = fixturesDirectory() / "claude" / real.file;
        TaskStatus expected;
        expected.id = std::string("claude-") + real.sessionID;
        expected.name = real.name;
        expected.state = real.state;
        expected.updatedAt = at(real.updatedAt);
        expected.source = "Claude Code";
        expected.projectName = real.projectName;
        expected.confirmedAttentionPending = false;
        std::string fallbackName = "Claude task " + std::string(real.fallbackID).substr(0, 8);

        auto whole = ClaudeSessionReader::parse(readFile(path), real.fallbackID, fallbackName);
        ASSERT_TRUE(whole);
        EXPECT_EQ(*whole, expected);
        std::string window =
            ClaudeSessionReader::transcriptData(path, ClaudeSessionReader::transcriptWindowBytes);
        auto windowed = ClaudeSessionReader::parse(window, real.fallbackID, fallbackName);
        ASSERT_TRUE(windowed);
        EXPECT_EQ(*windowed, expected);
    }
}

} // namespace
} // namespace quorvel
