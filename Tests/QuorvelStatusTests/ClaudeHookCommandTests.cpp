#include "Claude/ClaudeHookStore.h"
#include "StatusProcess.h"
#include "Support/FolderLock.h"
#include "Support/Json.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <thread>

using namespace quorvel::testing;

namespace {

constexpr std::string_view session = "5e0c7a52-1f3b-4c1d-9a0e-2b6f8d4c3a17";

nlohmann::json event(std::string_view name) {
    return {{"session_id", session},
            {"hook_event_name", name},
            {"cwd", "/home/u/project"},
            {"transcript_path", "/home/u/.claude/projects/p/t.jsonl"}};
}

// A Stop event padded with an ignored key to exactly `size` bytes.
std::string paddedEvent(std::size_t size) {
    nlohmann::json padded = event("Stop");
    padded["padding"] = "";
    const std::size_t base = padded.dump().size();
    padded["padding"] = std::string(size - base, 'x');
    return padded.dump();
}

} // namespace

struct ClaudeHookCommand : StatusProcess, ::testing::Test {
    std::filesystem::path recordFile() const { return eventsDirectory() / (std::string(session) + ".json"); }
};

TEST_F(ClaudeHookCommand, StoresTheEventQuietlyInTheDefaultFolder) {
    TemporaryDirectory other;
    const ProcessResult result =
        run({"claude-hook", "--directory", other.path().string()}, event("PermissionRequest").dump());
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, "");
    EXPECT_EQ(permissions(recordFile()), 0600u);
    EXPECT_EQ(permissions(eventsDirectory()), 0700u);
    const std::string text = readFile(recordFile());
    EXPECT_NE(text.find(R"("state":"waiting")"), std::string::npos);
    EXPECT_NE(text.find(R"("confirmedAttentionPending":true)"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(other.path()));
}

// Claude Code waits for its hook: a lock held elsewhere is waited for about a second, then the event
// is written without it.
TEST_F(ClaudeHookCommand, ALockHeldElsewhereDelaysTheEventByAboutASecondAtMost) {
    std::filesystem::create_directories(eventsDirectory());
    const quorvel::FolderLock held(eventsDirectory(), std::chrono::milliseconds(0));
    ASSERT_TRUE(held.held());
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult result = run({"claude-hook"}, event("Stop").dump());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(3));
    EXPECT_EQ(result.standardError, "Quorvel status: another process held the lock on " +
                                        eventsDirectory().string() +
                                        " for over a second; the event was written without it\n");
    EXPECT_NE(readFile(recordFile()).find(R"("state":"done")"), std::string::npos);
}

TEST_F(ClaudeHookCommand, InputOfExactly65536BytesIsAcceptedAndOneMoreIsAUsageError) {
    EXPECT_EQ(run({"claude-hook"}, paddedEvent(65536)).exitStatus, 0);
    EXPECT_TRUE(std::filesystem::exists(recordFile()));
    std::filesystem::remove_all(eventsDirectory());

    for (std::size_t size : {65537u, 200000u}) {
        const ProcessResult result = run({"claude-hook"}, paddedEvent(size));
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError, expectedError("invalidRecord"));
        EXPECT_FALSE(std::filesystem::exists(eventsDirectory()));
    }
}

TEST_F(ClaudeHookCommand, BadEventsFailAndWriteNothing) {
    nlohmann::json relative = event("Stop");
    relative["cwd"] = "project";
    nlohmann::json longPath = event("Stop");
    longPath["transcript_path"] = "/" + std::string(4096, 'p');
    nlohmann::json unmappedWithoutCwd = event("SubagentStop");
    unmappedWithoutCwd.erase("cwd");
    nlohmann::json badID = event("Stop");
    badID["session_id"] = "../../tasks/x";
    for (const nlohmann::json& bad : {relative, longPath, unmappedWithoutCwd, badID}) {
        const ProcessResult result = run({"claude-hook"}, bad.dump());
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.standardError, expectedError("invalidRecord"));
    }
    for (std::string_view broken : {"", "{\"session_id\":", "not json"}) {
        const ProcessResult result = run({"claude-hook"}, broken);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_TRUE(result.standardError.starts_with("Quorvel status: "));
        EXPECT_TRUE(result.standardError.ends_with("\n" + std::string(expectedUsage) + "\n"));
    }
    EXPECT_FALSE(std::filesystem::exists(dataDirectory()));
}

// A 16,617-byte event whose transcript path is made of control characters (six bytes each once
// escaped) would give a record of more than 16,384 bytes, which no later refresh could read.
TEST_F(ClaudeHookCommand, EventWhoseRecordWouldBeTooLargeFailsAndKeepsThePreviousRecord) {
    ASSERT_EQ(run({"claude-hook"}, event("PermissionRequest").dump()).exitStatus, 0);
    const std::string previous = readFile(recordFile());

    nlohmann::json large = event("Stop");
    std::string path = "/" + std::string(2740, '\x01');
    large["transcript_path"] = path;
    path.append(16617 - large.dump().size(), 'a');
    large["transcript_path"] = path;
    ASSERT_EQ(large.dump().size(), 16617u);

    const ProcessResult result = run({"claude-hook"}, large.dump());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, expectedError("invalidRecord"));
    EXPECT_EQ(readFile(recordFile()), previous);
}

TEST_F(ClaudeHookCommand, UnmappedEventSucceedsWithoutCreatingTheFolder) {
    const ProcessResult result = run({"claude-hook"}, event("SubagentStop").dump());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(eventsDirectory()));
}

// Many helpers write one session's record at once while the application reads it.
TEST_F(ClaudeHookCommand, ConcurrentWritersNeverExposeAPartialRecord) {
    ASSERT_EQ(run({"claude-hook"}, event("UserPromptSubmit").dump()).exitStatus, 0);
    const quorvel::ClaudeHookStore store(eventsDirectory());
    const quorvel::Date now = quorvel::Date::fromUnix(static_cast<double>(std::time(nullptr)));

    std::atomic<bool> writing = true;
    std::atomic<int> reads = 0;
    std::atomic<int> badReads = 0;
    std::thread reader([&] {
        quorvel::JsonParser parser;
        while (writing) {
            try {
                if (store.loadAll(now).size() != 1)
                    ++badReads;
                quorvel::ClaudeHookRecord::fromJson(
                    quorvel::JsonValue::requireObject(parser.parse(readFile(recordFile()))));
                ++reads;
            } catch (const std::exception&) {
                ++badReads;
            }
        }
    });

    constexpr int writerCount = 40;
    const char* names[] = {"PermissionRequest", "Stop", "UserPromptSubmit", "StopFailure", "Elicitation"};
    std::vector<int> exitStatuses(writerCount, -1);
    std::vector<std::thread> writers;
    for (int index = 0; index < writerCount; ++index) {
        writers.emplace_back([&, index] {
            nlohmann::json e = event(names[index % 5]);
            e["padding"] = std::string(static_cast<std::size_t>(index) * 300, 'x');
            exitStatuses[static_cast<std::size_t>(index)] = run({"claude-hook"}, e.dump()).exitStatus;
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    writing = false;
    reader.join();

    EXPECT_EQ(exitStatuses, std::vector<int>(writerCount, 0));
    EXPECT_EQ(badReads, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(eventsDirectory()), {}), 1);
}

// `claude -p` starts the StopFailure and SessionEnd helpers at the same moment. Each helper reads the
// previous record and writes the next; run together, they must end as either order run alone would:
// failed. The events are the client's own (session id replaced per round).
TEST_F(ClaudeHookCommand, ConcurrentStopFailureAndSessionEndNeverLoseTheFailure) {
    std::vector<nlohmann::json> recorded;
    std::istringstream lines(
        readFile(fixturesDirectory() / "clients-2026-12/claude/claude-p-error.hook-events.jsonl"));
    for (std::string line; std::getline(lines, line);)
        recorded.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(recorded.size(), 3u);
    ASSERT_EQ(recorded[1]["hook_event_name"], "StopFailure");
    ASSERT_EQ(recorded[2]["hook_event_name"], "SessionEnd");

    constexpr int rounds = 100;
    std::map<std::string, int> outcomes;
    for (int round = 0; round < rounds; ++round) {
        char id[40];
        std::snprintf(id, sizeof id, "c4257770-a788-44b1-94cc-%012d", round);
        auto payload = [&](std::size_t index) {
            nlohmann::json copy = recorded[index];
            copy["session_id"] = id;
            return copy.dump();
        };
        ASSERT_EQ(run({"claude-hook"}, payload(0)).exitStatus, 0);
        std::atomic<int> ready = 0;
        int statuses[2] = {-1, -1};
        std::vector<std::thread> helpers;
        for (int helper = 0; helper < 2; ++helper) {
            helpers.emplace_back([&, helper] {
                const std::string input = payload(static_cast<std::size_t>(helper) + 1);
                ++ready;
                while (ready < 2) {
                }
                statuses[helper] = run({"claude-hook"}, input).exitStatus;
            });
        }
        for (std::thread& helper : helpers)
            helper.join();
        ASSERT_EQ(statuses[0], 0);
        ASSERT_EQ(statuses[1], 0);
        const std::string record = readFile(eventsDirectory() / (std::string(id) + ".json"));
        const auto state = nlohmann::json::parse(record)["state"].get<std::string>();
        ++outcomes[state];
    }
    EXPECT_EQ(outcomes, (std::map<std::string, int>{{"failed", rounds}}));
}
