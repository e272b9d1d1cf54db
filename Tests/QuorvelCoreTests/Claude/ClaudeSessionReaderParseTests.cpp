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
    std::string turn = user("Fix it", "2026-03-01T09:00:00Z");
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

TEST(ClaudeSessionReaderParse, ProjectNameComesFromTheLastAbsoluteFolder) {
    auto withFolder = [](std::string_view cwd) {
        auto value = json::parse(user("Fix it", "2026-03-01T09:00:00Z"));
        value["cwd"] = cwd;
        return line(value);
    };
    EXPECT_EQ(parse(withFolder("/Users/me/code/app"))->projectName, "app");
    EXPECT_EQ(parse(withFolder("/Users/me/code/app") + withFolder("relative/other"))->projectName, "app");
    EXPECT_EQ(parse(withFolder("/Users/me/code/app") + withFolder("/srv/site/"))->projectName, "site");
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
