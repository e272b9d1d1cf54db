#include "Claude/ClaudeSessionReader.h"
#include "ClaudeTranscriptLines.h"

#include <gtest/gtest.h>
#include <string>

namespace quorvel {
namespace {

using namespace testing::claude;
using nlohmann::json;

constexpr std::string_view fallbackID = "11111111-2222-4333-8444-555555555555";

std::optional<TaskStatus> parse(const std::string& bytes, std::string_view fallback = fallbackID) {
    return ClaudeSessionReader::parse(bytes, fallback, "Claude task 11111111");
}

std::string name(const std::string& bytes) {
    auto task = parse(bytes);
    return task ? task->name : "<no task>";
}

TEST(ClaudeSessionReaderParse, GivesNoTaskWithoutAStateSettingLine) {
    EXPECT_FALSE(parse(""));
    EXPECT_FALSE(parse("\n\n\n"));
    std::string withoutTimestamps =
        customTitle("Title") + line({{"type", "user"},
                                     {"sessionId", sessionA},
                                     {"cwd", "/home/me/app"},
                                     {"message", {{"role", "user"}, {"content", "hi"}}}});
    EXPECT_FALSE(parse(withoutTimestamps));
    EXPECT_FALSE(parse(progress("2026-03-01T09:00:00.000Z") + system("2026-03-01T09:00:01.000Z") +
                       assistant(nullptr, "2026-03-01T09:00:02.000Z") +
                       queueOperation("enqueue", "2026-03-01T09:00:03.000Z")));
}

TEST(ClaudeSessionReaderParse, BuildsTheTaskFromTheTranscript) {
    auto task = parse(user("Fix the login bug", "2026-03-01T09:00:00.000Z") +
                      assistant("end_turn", "2026-03-01T09:00:05.250Z"));
    ASSERT_TRUE(task);
    TaskStatus expected;
    expected.id = "claude-" + std::string(sessionA);
    expected.name = "Fix the login bug";
    expected.state = LightState::done;
    expected.updatedAt = at("2026-03-01T09:00:05.250Z");
    expected.source = "Claude Code";
    expected.projectName = "app";
    expected.confirmedAttentionPending = false;
    EXPECT_EQ(*task, expected);
    EXPECT_EQ(task->provider(), TaskProvider::claude);
}

TEST(ClaudeSessionReaderParse, StateFollowsTheLastStateSettingLine) {
    std::string turn = user("Fix it", "2026-03-01T09:00:00Z") + assistant("end_turn", "2026-03-01T09:00:05Z");
    EXPECT_EQ(parse(turn)->state, LightState::done);

    auto again = parse(turn + user("And now the tests", "2026-03-01T09:01:00Z"));
    EXPECT_EQ(again->state, LightState::working);
    EXPECT_EQ(again->updatedAt, at("2026-03-01T09:01:00Z"));

    auto asking = parse(turn + assistant("tool_use", "2026-03-01T09:02:00Z",
                                         json::array({{{"type", "text"}, {"text", "One question"}},
                                                      toolUse("AskUserQuestion")})));
    EXPECT_EQ(asking->state, LightState::waiting);
    EXPECT_EQ(asking->confirmedAttentionPending, true);

    auto tool = parse(turn + assistant("tool_use", "2026-03-01T09:02:00Z", json::array({toolUse("Bash")})));
    EXPECT_EQ(tool->state, LightState::working);
    EXPECT_EQ(tool->confirmedAttentionPending, false);

    auto answered = parse(
        turn + assistant("tool_use", "2026-03-01T09:02:00Z", json::array({toolUse("AskUserQuestion")})) +
        user(json::array({{{"type", "tool_result"}, {"content", "yes"}}}), "2026-03-01T09:03:00Z"));
    EXPECT_EQ(answered->state, LightState::working);
    EXPECT_EQ(answered->confirmedAttentionPending, false);
}

TEST(ClaudeSessionReaderParse, IgnoresAssistantLinesWithoutAKnownStopReason) {
    std::string done = user("Fix it", "2026-03-01T09:00:00Z") + assistant("end_turn", "2026-03-01T09:00:05Z");
    auto afterOthers = parse(
        done + assistant("max_tokens", "2026-03-01T09:10:00Z") + assistant(nullptr, "2026-03-01T09:11:00Z") +
        line({{"type", "assistant"}, {"timestamp", "2026-03-01T09:12:00Z"}}) +
        line({{"type", "assistant"}, {"timestamp", "2026-03-01T09:13:00Z"}, {"message", "end_turn"}}));
    EXPECT_EQ(afterOthers->state, LightState::done);
    EXPECT_EQ(afterOthers->updatedAt, at("2026-03-01T09:00:05Z"));

    // A question tool inside content that is not an array of objects does not count.
    auto oddContent = parse(done + assistant("tool_use", "2026-03-01T09:20:00Z",
                                             json::array({toolUse("AskUserQuestion"), "text"})));
    EXPECT_EQ(oddContent->state, LightState::working);
    EXPECT_EQ(oddContent->confirmedAttentionPending, false);
}

TEST(ClaudeSessionReaderParse, OnlyADequeueOperationSetsWorking) {
    std::string done = user("Fix it", "2026-03-01T09:00:00Z") + assistant("end_turn", "2026-03-01T09:00:05Z");
    auto enqueued = parse(done + queueOperation("enqueue", "2026-03-01T09:01:00Z"));
    EXPECT_EQ(enqueued->state, LightState::done);
    EXPECT_EQ(enqueued->updatedAt, at("2026-03-01T09:00:05Z"));
    auto dequeued = parse(done + queueOperation("dequeue", "2026-03-01T09:01:00Z"));
    EXPECT_EQ(dequeued->state, LightState::working);
    EXPECT_EQ(dequeued->updatedAt, at("2026-03-01T09:01:00Z"));
}

TEST(ClaudeSessionReaderParse, TimeNeverRunsBackwards) {
    auto task =
        parse(user("Fix it", "2026-03-01T09:10:00.500Z") + assistant("end_turn", "2026-03-01T09:05:00Z"));
    EXPECT_EQ(task->state, LightState::done);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:10:00.500Z"));
}

TEST(ClaudeSessionReaderParse, ALineWithoutAUsableTimestampOnlyGivesIdsAndFolders) {
    auto first = json::parse(user("Fix it", "2026-03-01T09:00:00Z"));
    first.erase("cwd");
    std::string turn = line(first);
    for (json timestamp : {json(nullptr), json(12345), json("2026-03-01 09:30:00"), json("yesterday")}) {
        auto value = json::parse(assistant("end_turn", "2026-03-01T09:30:00Z"));
        value["timestamp"] = timestamp;
        value["sessionId"] = sessionB;
        value["cwd"] = "/home/me/other";
        auto task = parse(turn + line(value));
        EXPECT_EQ(task->state, LightState::working) << timestamp;
        EXPECT_EQ(task->id, "claude-" + std::string(sessionB));
        EXPECT_EQ(task->projectName, "other");
    }
}

TEST(ClaudeSessionReaderParse, TakesTheLastValidSessionIdAsWritten) {
    std::string bytes = user("Fix it", "2026-03-01T09:00:00Z", sessionB) +
                        user("More", "2026-03-01T09:00:01Z", "not-a-uuid") +
                        user("Even more", "2026-03-01T09:00:02Z", "");
    EXPECT_EQ(parse(bytes)->id, "claude-" + std::string(sessionB));
    EXPECT_EQ(parse(user("Fix it", "2026-03-01T09:00:00Z", "not-a-uuid"))->id,
              "claude-" + std::string(fallbackID));
    EXPECT_FALSE(parse(user("Fix it", "2026-03-01T09:00:00Z", "not-a-uuid"), "agent-a881341"));
}

// The session's project is the folder it started in, also after a command moved into a subfolder.
TEST(ClaudeSessionReaderParse, ProjectNameComesFromTheFirstAbsoluteFolder) {
    auto withFolder = [](std::string_view cwd) {
        auto value = json::parse(user("Fix it", "2026-03-01T09:00:00Z"));
        value["cwd"] = cwd;
        return line(value);
    };
    EXPECT_EQ(parse(withFolder("/Users/me/code/app"))->projectName, "app");
    EXPECT_EQ(parse(withFolder("/Users/me/code/app") + withFolder("relative/other"))->projectName, "app");
    EXPECT_EQ(parse(withFolder("relative/other") + withFolder("/Users/me/code/app"))->projectName, "app");
    EXPECT_EQ(parse(withFolder("/srv/mono-repo/") + withFolder("/srv/mono-repo/sub-pkg"))->projectName,
              "mono-repo");
    EXPECT_EQ(parse(withFolder("/"))->projectName, std::nullopt);
    EXPECT_EQ(parse(withFolder("relative/app"))->projectName, std::nullopt);
}

TEST(ClaudeSessionReaderParse, NameComesFromTheFirstOrdinaryUserText) {
    auto meta = json::parse(user("Caveat: generated by a command", "2026-03-01T09:00:00Z"));
    meta["isMeta"] = true;
    auto sidechain = json::parse(user("Explore the code base", "2026-03-01T09:00:01Z"));
    sidechain["isSidechain"] = true;
    std::string skipped =
        line(meta) + line(sidechain) + user("<command-name>/clear</command-name>", "2026-03-01T09:00:02Z") +
        user("[Request interrupted by user]", "2026-03-01T09:00:03Z") +
        user(" \n\t ", "2026-03-01T09:00:04Z") +
        user(json::array({{{"type", "tool_result"}, {"content", "ok"}}}), "2026-03-01T09:00:05Z");
    auto task = parse(skipped);
    EXPECT_EQ(task->name, "Claude task 11111111");
    EXPECT_EQ(task->state, LightState::working);

    EXPECT_EQ(name(skipped + user("  Fix\tthe\n\nlogin  bug ", "2026-03-01T09:01:00Z") +
                   user("Something else", "2026-03-01T09:02:00Z")),
              "Fix the login bug");
    EXPECT_EQ(name(user(json::array({{{"type", "text"}, {"text", "First part"}},
                                     {{"type", "image"}, {"text", "not text"}},
                                     {{"type", "text"}, {"text", 42}},
                                     {{"type", "text"}, {"text", "second\u3000part"}}}),
                        "2026-03-01T09:00:00Z")),
              "First part second part");
    // Text without a timestamp never names the task.
    EXPECT_EQ(name(line({{"type", "user"}, {"message", {{"content", "Untimed"}}}}) +
                   user("Timed", "2026-03-01T09:00:00Z")),
              "Timed");
}

// --- User lines that are not the user's own input, in the forms Claude Code 2.1 writes ---------------

std::string flagged(std::string userLine, std::string_view flag) {
    auto value = json::parse(userLine);
    value[std::string(flag)] = true;
    return line(value);
}
std::string meta(const json& content, std::string_view timestamp) {
    return flagged(user(content, timestamp), "isMeta");
}
// A local command's own line, as the interactive client and -p write it since 2.1.
std::string localCommand(std::string_view content, std::string_view timestamp) {
    auto value = base("system", timestamp);
    value["subtype"] = "local_command";
    value["content"] = content;
    value["level"] = "info";
    return line(value);
}
const std::string caveat =
    "<local-command-caveat>Caveat: The messages below were generated by the user while "
    "running local commands.</local-command-caveat>";
const std::string finished =
    user("Fix it", "2026-03-01T09:00:00Z") + assistant("end_turn", "2026-03-01T09:00:05Z");

void expectFinishedTurnKept(const std::optional<TaskStatus>& task) {
    ASSERT_TRUE(task);
    EXPECT_EQ(task->state, LightState::done);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:00:05Z"));
}

TEST(ClaudeSessionReaderParse, InterruptionEndsTheTurn) {
    const std::string asked = user("Create the file", "2026-03-01T09:00:00Z") +
                              assistant("tool_use", "2026-03-01T09:00:01Z", json::array({toolUse("Bash")}));
    // Esc on a permission prompt: the refused tool result, then the marker; no hook follows.
    const std::string refused =
        asked + user(json::array({{{"type", "tool_result"}, {"is_error", true}, {"content", "rejected"}}}),
                     "2026-03-01T09:00:09Z");
    auto task = parse(refused);
    EXPECT_EQ(task->state, LightState::working);
    task =
        parse(refused +
              user(json::array({{{"type", "text"}, {"text", "[Request interrupted by user for tool use]"}}}),
                   "2026-03-01T09:00:09.002Z"));
    EXPECT_EQ(task->state, LightState::done);
    EXPECT_EQ(task->confirmedAttentionPending, false);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:00:09.002Z"));
    // Esc while the answer streams; the next prompt starts work again.
    const std::string stopped = user("Explain it", "2026-03-01T09:00:00Z") +
                                assistant("stop_sequence", "2026-03-01T09:00:02Z") +
                                user("[Request interrupted by user]", "2026-03-01T09:00:02.010Z");
    EXPECT_EQ(parse(stopped)->state, LightState::done);
    EXPECT_EQ(parse(stopped + user("Go on", "2026-03-01T09:00:30Z"))->state, LightState::working);
}

TEST(ClaudeSessionReaderParse, ClientNotesStartNoWork) {
    expectFinishedTurnKept(parse(finished + meta(caveat, "2026-03-01T09:01:00Z")));
    expectFinishedTurnKept(
        parse(finished + meta(json::array({{{"type", "text"}, {"text", "Base directory for this skill"}}}),
                              "2026-03-01T09:01:00Z")));
    expectFinishedTurnKept(parse(finished + flagged(user("This session is being continued from a previous "
                                                         "conversation that ran out of context.",
                                                         "2026-03-01T09:01:00Z"),
                                                    "isCompactSummary")));
    // Inside a running turn they leave it running.
    auto running = parse(user("Fix it", "2026-03-01T09:00:00Z") + meta(caveat, "2026-03-01T09:00:01Z"));
    EXPECT_EQ(running->state, LightState::working);
    EXPECT_EQ(running->updatedAt, at("2026-03-01T09:00:00Z"));
    // A transcript of client notes alone is no task.
    EXPECT_FALSE(parse(meta(caveat, "2026-03-01T09:00:00Z")));
}

TEST(ClaudeSessionReaderParse, LocalCommandsDoNoWork) {
    const std::string cost = "<command-name>/cost</command-name>\n<command-message>cost</command-message>\n"
                             "<command-args></command-args>";
    const std::string output = "<local-command-stdout>Total cost: $0.00</local-command-stdout>";
    // claude -p "/cost": the queued input, the caveat, the command and its output as a system line.
    const std::string printed = queueOperation("enqueue", "2026-03-01T09:01:00Z") +
                                queueOperation("dequeue", "2026-03-01T09:01:00.001Z") +
                                meta(caveat, "2026-03-01T09:01:00.020Z") +
                                user(cost, "2026-03-01T09:01:00.019Z");
    EXPECT_EQ(parse(finished + printed)->state, LightState::working); // not yet known to be local
    expectFinishedTurnKept(parse(finished + printed + localCommand(output, "2026-03-01T09:01:00.020Z")));
    EXPECT_FALSE(parse(printed + localCommand(output, "2026-03-01T09:01:00.020Z")));
    // A command the -p client refuses writes only system lines after the dequeue.
    expectFinishedTurnKept(parse(finished + queueOperation("dequeue", "2026-03-01T09:01:00Z") +
                                 localCommand("/model", "2026-03-01T09:01:00.010Z") +
                                 localCommand("<local-command-stdout>/model isn't available in this "
                                              "environment.</local-command-stdout>",
                                              "2026-03-01T09:01:00.010Z")));
    // /compact in the interactive client: summary, caveat, command, and its output as a user line.
    expectFinishedTurnKept(parse(
        finished +
        flagged(user("This session is being continued from a previous conversation.", "2026-03-01T09:02:00Z"),
                "isCompactSummary") +
        assistant("stop_sequence", "2026-03-01T09:01:58Z") + meta(caveat, "2026-03-01T09:02:00Z") +
        user("<command-name>/compact</command-name>", "2026-03-01T09:02:00Z") +
        user("<local-command-stdout>Compacted</local-command-stdout>", "2026-03-01T09:02:00.300Z")));
    // An output line with no command pending changes nothing, stderr included.
    expectFinishedTurnKept(parse(
        finished + localCommand("<local-command-stderr>x</local-command-stderr>", "2026-03-01T09:03:00Z")));
    auto running =
        parse(user("Fix it", "2026-03-01T09:00:00Z") +
              localCommand("<local-command-stdout>x</local-command-stdout>", "2026-03-01T09:00:01Z"));
    EXPECT_EQ(running->state, LightState::working);
    // Only a local command's output counts: other system lines change nothing.
    EXPECT_EQ(
        parse(finished + queueOperation("dequeue", "2026-03-01T09:01:00Z") + system("2026-03-01T09:01:01Z"))
            ->state,
        LightState::working);
}

TEST(ClaudeSessionReaderParse, PromptCommandsWork) {
    // claude -p "/init": the command, its prompt as a meta line, then the answer.
    const std::string started =
        queueOperation("dequeue", "2026-03-01T09:01:00Z") +
        user("<command-message>init</command-message>\n<command-name>/init</command-name>",
             "2026-03-01T09:01:00.040Z") +
        meta(json::array({{{"type", "text"}, {"text", "Please analyze this codebase"}}}),
             "2026-03-01T09:01:00.040Z");
    auto task = parse(finished + started);
    EXPECT_EQ(task->state, LightState::working);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:01:00.040Z"));
    task = parse(finished + started + assistant("end_turn", "2026-03-01T09:01:09Z"));
    EXPECT_EQ(task->state, LightState::done);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:01:09Z"));
    // Once the command's work has begun, a later command output does not undo it.
    task = parse(finished + started +
                 assistant("tool_use", "2026-03-01T09:01:02Z", json::array({toolUse("Bash")})) +
                 user("<local-command-stdout>x</local-command-stdout>", "2026-03-01T09:01:03Z"));
    EXPECT_EQ(task->state, LightState::working);
    // A shell command typed with "!" is answered by the model: it is the user's input.
    EXPECT_EQ(parse(finished + user("<bash-input>make test</bash-input>", "2026-03-01T09:04:00Z"))->state,
              LightState::working);
}

TEST(ClaudeSessionReaderParse, FailedRequestFails) {
    auto value = json::parse(assistant("stop_sequence", "2026-03-01T09:00:04Z",
                                       json::array({{{"type", "text"}, {"text", "API Error: 500"}}})));
    value["isApiErrorMessage"] = true;
    value["error"] = "server_error";
    auto task = parse(user("Fix it", "2026-03-01T09:00:00Z") + line(value));
    EXPECT_EQ(task->state, LightState::failed);
    EXPECT_EQ(task->confirmedAttentionPending, false);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:00:04Z"));
    // The client's "No response requested." line is no failure.
    value["isApiErrorMessage"] = false;
    EXPECT_EQ(parse(finished + line(value))->state, LightState::done);
}

TEST(ClaudeSessionReaderParse, GeneratedTitleNamesOnlyATaskWithoutUserText) {
    auto aiTitle = [](std::string_view title) {
        return line({{"type", "ai-title"}, {"aiTitle", title}, {"sessionId", sessionA}});
    };
    const std::string command = user("<command-name>/init</command-name>", "2026-03-01T09:00:00Z");
    EXPECT_EQ(name(aiTitle("Set up the project") + command), "Set up the project");
    EXPECT_EQ(name(command + aiTitle("First") + aiTitle("Second") + aiTitle(" ")), "Second");
    EXPECT_EQ(name(aiTitle("Generated") + finished), "Fix it");
    EXPECT_EQ(name(aiTitle("Generated") + customTitle("Mine") + command), "Mine");
    EXPECT_EQ(name(aiTitle(std::string(200, 'g')) + command), std::string(160, 'g'));
    // A title alone sets no state.
    EXPECT_FALSE(parse(aiTitle("Title")));
}

TEST(ClaudeSessionReaderParse, CustomTitleWinsWhereverItStands) {
    std::string turn = user("Fix the login bug", "2026-03-01T09:00:00Z");
    EXPECT_EQ(name(customTitle("Login work") + turn), "Login work");
    EXPECT_EQ(name(turn + customTitle("Login work")), "Login work");
    EXPECT_EQ(name(turn + customTitle("First") + customTitle("Second")), "Second");
    EXPECT_EQ(name(turn + customTitle("Kept") + customTitle(" \n ")), "Kept");
    EXPECT_EQ(name(turn + customTitle(" \n ")), "Fix the login bug");
    EXPECT_EQ(name(turn + customTitle("  Spaced ")), "  Spaced ");
}

TEST(ClaudeSessionReaderParse, NamesAreCutTo160Characters) {
    std::string longText(200, 'a');
    EXPECT_EQ(name(user(longText, "2026-03-01T09:00:00Z")), std::string(160, 'a'));
    EXPECT_EQ(name(user("x", "2026-03-01T09:00:00Z") + customTitle(longText)), std::string(160, 'a'));
    std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // one character, several code points
    std::string emoji;
    for (int i = 0; i < 170; ++i)
        emoji += family;
    std::string expected;
    for (int i = 0; i < 160; ++i)
        expected += family;
    EXPECT_EQ(name(user(emoji, "2026-03-01T09:00:00Z")), expected);

    auto fallback = ClaudeSessionReader::parse(
        line({{"type", "user"}, {"timestamp", "2026-03-01T09:00:00Z"}, {"message", {{"content", "<tag>"}}}}),
        fallbackID, longText);
    EXPECT_EQ(fallback->name, std::string(160, 'a'));
}

TEST(ClaudeSessionReaderParse, SkipsLinesThatAreNotStrictJsonObjects) {
    std::string turn = user("Fix it", "2026-03-01T09:00:00Z");
    std::string doneLine = assistant("end_turn", "2026-03-01T09:00:05Z");
    std::string body = doneLine.substr(0, doneLine.size() - 1);
    std::string badUtf8 = body;
    badUtf8.insert(badUtf8.find("Done."), "\xC3\x28");
    std::string deep = body.substr(0, body.size() - 1) + ",\"nested\":" + std::string(300, '[') +
                       std::string(300, ']') + "}";
    for (std::string bad : {badUtf8, body + " trailing", body.substr(0, body.size() / 2), "[" + body + "]",
                            deep, std::string("\"end_turn\"")}) {
        // The broken line also carries another session id, which must not be taken either.
        std::size_t idAt = bad.find(sessionA);
        if (idAt != std::string::npos)
            bad.replace(idAt, sessionA.size(), sessionB);
        auto task = parse(turn + bad + "\n");
        ASSERT_TRUE(task);
        EXPECT_EQ(task->state, LightState::working) << bad.substr(0, 60);
        EXPECT_EQ(task->id, "claude-" + std::string(sessionA));
    }
}

TEST(ClaudeSessionReaderParse, ParsesLinesUpToAMillionBytes) {
    std::string turn = user("Fix it", "2026-03-01T09:00:00Z");
    auto doneLineOfSize = [](std::size_t size) {
        std::string line = assistant("end_turn", "2026-03-01T09:00:05Z");
        line.insert(line.find("Done."), std::string(size - line.size() + 1, ' '));
        line.pop_back();
        return line;
    };
    std::string largest = doneLineOfSize(1'000'000);
    ASSERT_EQ(largest.size(), 1'000'000u);
    EXPECT_EQ(parse(turn + largest + "\n")->state, LightState::done);
    std::string tooLarge = doneLineOfSize(1'000'001);
    ASSERT_EQ(tooLarge.size(), 1'000'001u);
    EXPECT_EQ(parse(turn + tooLarge + "\n")->state, LightState::working);
}

} // namespace
} // namespace quorvel
