// What Claude Code 2.1.197 and 2.1.337 wrote in real sessions (its transcripts and the events its hooks
// received), read back as one refresh reads them.
#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeSessionReader.h"
#include "ClaudeTranscriptLines.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sstream>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::fixturesDirectory;
using testing::readFile;
using testing::setModificationTime;
using testing::TemporaryDirectory;
using testing::writeFile;
using testing::claude::at;

fs::path recorded(std::string_view name) {
    return fixturesDirectory() / "clients-2026-12/claude" / name;
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> result;
    std::istringstream stream(bytes);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line + "\n");
    return result;
}

// The transcript of a recording, whole or cut after its first `count` lines.
std::string transcript(std::string_view scenario, std::size_t count = SIZE_MAX) {
    std::string bytes;
    for (const std::string& line : lines(readFile(recorded(std::string(scenario) + ".transcript.jsonl")))) {
        if (count-- == 0)
            break;
        bytes += line;
    }
    return bytes;
}

struct Expected {
    LightState state;
    const char* updatedAt;
    bool attention;
};

void expectTask(const std::optional<TaskStatus>& task, const Expected& expected) {
    ASSERT_TRUE(task);
    EXPECT_EQ(task->state, expected.state);
    EXPECT_EQ(task->updatedAt, at(expected.updatedAt));
    EXPECT_EQ(task->confirmedAttentionPending, expected.attention);
}

std::optional<TaskStatus> parse(const std::string& bytes) {
    return ClaudeSessionReader::parse(bytes, "00000000-0000-4000-8000-000000000000", "Claude task 00000000");
}

TEST(ClaudeTodaysClient, TranscriptsAlone) {
    auto plain = parse(transcript("claude-p-plain"));
    expectTask(plain, {LightState::done, "2026-12-09T04:18:32.444Z", false});
    EXPECT_EQ(plain->id, "claude-35e03a95-6382-4374-b6c0-2bc969981d59");
    EXPECT_EQ(plain->name, "QV-PLAIN Say hello in one line.");
    EXPECT_EQ(plain->projectName, "alpha-app");

    // The permission prompt is a tool use like any other until its hook says more.
    expectTask(parse(transcript("claude-tui-permission", 10)),
               {LightState::working, "2026-12-09T04:18:35.909Z", false});
    expectTask(parse(transcript("claude-tui-permission")),
               {LightState::done, "2026-12-09T04:18:42.730Z", false});
    // Refused with Esc: the turn is over although no hook follows.
    expectTask(parse(transcript("claude-tui-deny", 10)),
               {LightState::working, "2026-12-09T04:19:03.060Z", false});
    auto refused = parse(transcript("claude-tui-deny"));
    expectTask(refused, {LightState::done, "2026-12-09T04:19:03.062Z", false});
    EXPECT_EQ(refused->name, "QV-BASH please create the marker file");
    // The client's own line for the failed request.
    expectTask(parse(transcript("claude-p-error")), {LightState::failed, "2026-12-09T04:19:34.703Z", false});
    // A slow answer: working until it ends. The generated title does not replace the user's words.
    expectTask(parse(transcript("claude-tui-working", 7)),
               {LightState::working, "2026-12-09T04:18:46.818Z", false});
    auto slow = parse(transcript("claude-tui-working"));
    expectTask(slow, {LightState::done, "2026-12-09T04:18:57.300Z", false});
    EXPECT_EQ(slow->name, "QV-SLOW please take your time");
}

// Replays the recorded hook events through the store, each at the given time, next to the transcript,
// and loads the one task as a refresh would.
class ClaudeTodaysClientWithHooks : public ::testing::Test {
protected:
    TaskStatus replay(std::string_view scenario, const std::string& transcriptBytes,
                      const std::vector<std::pair<std::size_t, const char*>>& events) {
        const std::vector<std::string> recordedEvents =
            lines(readFile(recorded(std::string(scenario) + ".hook-events.jsonl")));
        const ClaudeHookStore store(temp_ / "events");
        Date last = Date::distantPast();
        for (const auto& [index, time] : events) {
            store.ingest(recordedEvents.at(index), at(time));
            last = at(time);
        }
        const auto task = parse(transcriptBytes);
        const fs::path file = temp_ / "claude/projects/-home-dev" / (task->id.substr(7) + ".jsonl");
        writeFile(file, transcriptBytes);
        setModificationTime(file, last.unixSeconds());
        const std::vector<TaskStatus> tasks = ClaudeSessionReader::load(
            temp_ / "claude", store, last + 5, temp_ / "desktop", ClaudeSessionReader::unlimited);
        EXPECT_EQ(tasks.size(), 1u);
        return tasks.empty() ? TaskStatus{} : tasks.front();
    }

    TemporaryDirectory temp_;
};

TEST_F(ClaudeTodaysClientWithHooks, PlainTurn) {
    const TaskStatus task = replay(
        "claude-p-plain", transcript("claude-p-plain"),
        {{0, "2026-12-09T04:18:32.235Z"}, {1, "2026-12-09T04:18:32.460Z"}, {2, "2026-12-09T04:18:32.480Z"}});
    expectTask(task, {LightState::done, "2026-12-09T04:18:32.444Z", false});
}

// PermissionRequest fires some 80 ms after the tool use line; its record has whole seconds.
TEST_F(ClaudeTodaysClientWithHooks, PermissionPromptWaitsAtOnce) {
    const TaskStatus task = replay("claude-tui-permission", transcript("claude-tui-permission", 10),
                                   {{0, "2026-12-09T04:18:35.590Z"}, {1, "2026-12-09T04:18:35.990Z"}});
    expectTask(task, {LightState::waiting, "2026-12-09T04:18:35Z", true});
}

TEST_F(ClaudeTodaysClientWithHooks, ApprovedPermissionFinishes) {
    const TaskStatus task = replay("claude-tui-permission", transcript("claude-tui-permission"),
                                   {{0, "2026-12-09T04:18:35.590Z"},
                                    {1, "2026-12-09T04:18:35.990Z"},
                                    {2, "2026-12-09T04:18:41.990Z"},
                                    {3, "2026-12-09T04:18:42.660Z"},
                                    {4, "2026-12-09T04:18:42.950Z"}});
    expectTask(task, {LightState::done, "2026-12-09T04:18:42.730Z", false});
}

// No hook follows the refusal: the transcript, newer than the permission's record, decides.
TEST_F(ClaudeTodaysClientWithHooks, RefusedPermissionIsDone) {
    const TaskStatus task = replay("claude-tui-deny", transcript("claude-tui-deny"),
                                   {{0, "2026-12-09T04:19:01.380Z"}, {1, "2026-12-09T04:19:01.870Z"}});
    expectTask(task, {LightState::done, "2026-12-09T04:19:03.062Z", false});
}

// StopFailure and SessionEnd start together; run one after the other, either order ends failed.
TEST_F(ClaudeTodaysClientWithHooks, FailureSurvivesSessionEndAfterIt) {
    expectTask(replay("claude-p-error", transcript("claude-p-error"),
                      {{0, "2026-12-09T04:19:33.870Z"},
                       {1, "2026-12-09T04:19:34.710Z"},
                       {2, "2026-12-09T04:19:34.720Z"}}),
               {LightState::failed, "2026-12-09T04:19:34Z", false});
}

TEST_F(ClaudeTodaysClientWithHooks, FailureSurvivesSessionEndFirst) {
    expectTask(replay("claude-p-error", transcript("claude-p-error"),
                      {{0, "2026-12-09T04:19:33.870Z"},
                       {2, "2026-12-09T04:19:34.710Z"},
                       {1, "2026-12-09T04:19:34.720Z"}}),
               {LightState::failed, "2026-12-09T04:19:34Z", false});
}

// 2.1.337 runs a subagent in the background: the turn that launched it ends with a Stop that lists it,
// and the transcript says the turn ended. The session works until the client's own turn for the agent's
// result ends with a Stop that lists none.
TEST_F(ClaudeTodaysClientWithHooks, BackgroundAgentKeepsTheSessionWorking) {
    const std::string scenario = "claude-2.1.337-p-agent";
    const std::vector<std::pair<std::size_t, const char*>> events = {
        {0, "2026-12-09T13:29:14.942Z"}, {1, "2026-12-09T13:29:16.642Z"}, {2, "2026-12-09T13:29:16.992Z"},
        {3, "2026-12-09T13:29:26.144Z"}, {4, "2026-12-09T13:29:26.557Z"}, {5, "2026-12-09T13:29:26.710Z"}};
    const TaskStatus launched =
        replay(scenario, transcript(scenario, 31), {events.begin(), events.begin() + 3});
    expectTask(launched, {LightState::working, "2026-12-09T13:29:16Z", false});
    EXPECT_EQ(launched.projectName, "zeta-lib");
    expectTask(replay(scenario, transcript(scenario), events),
               {LightState::done, "2026-12-09T13:29:26.504Z", false});
}

// Auto mode without a verdict asks the user; its only event is a Notification. Staying in auto mode
// asks again (no event); Esc refuses and ends the turn.
TEST_F(ClaudeTodaysClientWithHooks, AutoModeAskingWaitsUntilRefused) {
    const std::vector<std::pair<std::size_t, const char*>> events = {{0, "2026-12-09T13:30:08.020Z"},
                                                                     {1, "2026-12-09T13:30:15.163Z"}};
    const std::string scenario = "claude-2.1.337-tui-auto-ask";
    expectTask(replay(scenario, transcript(scenario, 25), events),
               {LightState::waiting, "2026-12-09T13:30:15Z", true});
    expectTask(replay(scenario, transcript(scenario, 32), events),
               {LightState::waiting, "2026-12-09T13:30:15Z", true});
    expectTask(replay(scenario, transcript(scenario), events),
               {LightState::done, "2026-12-09T13:30:29.439Z", false});
}

} // namespace
} // namespace quorvel
