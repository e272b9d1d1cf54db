#include "Claude/ClaudeReadState.h"
#include "Claude/ClaudeSessionReader.h"
#include "ClaudeTranscriptLines.h"
#include "Support/FileIO.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const std::string sessionID = "8c1d2e3f-4a5b-4c6d-9e7f-0a1b2c3d4e5f";
const std::string upperSessionID = "8C1D2E3F-4A5B-4C6D-9E7F-0A1B2C3D4E5F";

TaskStatus claudeTask(std::string idRest, Date updatedAt,
                      std::string source = std::string(claudeCodeSource)) {
    return TaskStatus::make("claude-" + idRest, "session", LightState::done, updatedAt, std::move(source));
}

TEST(ClaudeReadStateTests, ReadTestComparesTheMarkWithUpdatedAt) {
    ClaudeReadState state;
    auto task = claudeTask(sessionID, Date{1000});
    EXPECT_FALSE(state.hasRead(task));
    state.readAt[sessionID] = Date{1000};
    EXPECT_TRUE(state.hasRead(task));
    state.readAt[sessionID] = Date{999};
    EXPECT_FALSE(state.hasRead(task));
}

TEST(ClaudeReadStateTests, OnlyClaudeTasksWithASessionUuidTakePart) {
    ClaudeReadState state{{{sessionID, Date{5000}}}};
    const TaskStatus outsiders[] = {claudeTask(sessionID, Date{1000}, std::string(localStatusSource)),
                                    claudeTask("not-a-uuid", Date{1000}),
                                    claudeTask("{" + sessionID + "}", Date{1000})};
    for (const auto& task : outsiders) {
        EXPECT_FALSE(state.hasRead(task)) << task.id;
        auto marked = state;
        marked.markRead(task, Date{6000});
        EXPECT_EQ(marked, state) << task.id;
    }
}

TEST(ClaudeReadStateTests, MarkReadKeepsTheSessionIDAsWrittenAndAtLeastUpdatedAt) {
    ClaudeReadState state;
    auto task = claudeTask(upperSessionID, Date{1000});
    state.markRead(task, Date{900});
    EXPECT_EQ(state.readAt, (std::map<std::string, Date>{{upperSessionID, Date{1000}}}));
    EXPECT_TRUE(state.hasRead(task));
    EXPECT_FALSE(state.hasRead(claudeTask(sessionID, Date{1000})));

    // A later finish makes the task unread until it is marked again; a new mark may be earlier.
    EXPECT_FALSE(state.hasRead(claudeTask(upperSessionID, Date{1001})));
    state.markRead(claudeTask(upperSessionID, Date{500}), Date{700});
    EXPECT_EQ(state.readAt.at(upperSessionID), Date{700});
}

TEST(ClaudeReadStateTests, AMarkWithinTheFinishingSecondSurvivesSavingAndLoading) {
    testing::TemporaryDirectory home;
    auto file = home / "Quorvel/claude-read-state.json";
    auto task = claudeTask(sessionID, Date{794050200.5});
    ClaudeReadState state;
    state.markRead(task, Date{794050200.5});
    state.save(file, Date{794050300});

    auto loaded = ClaudeReadState::load(file);
    EXPECT_EQ(loaded, state);
    EXPECT_TRUE(loaded.hasRead(task));
    EXPECT_EQ(testing::readFile(file), R"({"readAt":{")" + sessionID + R"(":"2026-03-01T09:30:01Z"}})");
}

// "9999-12-31T23:59:59.000-00:01" is a moment of the year 10000 in UTC. Were it a transcript's time, its
// read mark would be written back as text that no load accepts, and every mark of the file lost.
TEST(ClaudeReadStateTests, ATranscriptTimeBeyondYear9999NeverReachesTheFile) {
    using namespace testing::claude;
    testing::TemporaryDirectory home;
    auto file = home / "Quorvel/claude-read-state.json";
    const auto task = ClaudeSessionReader::parse(user("Fix it", "2026-03-01T09:00:00Z") +
                                                     assistant("end_turn", "9999-12-31T23:59:59.000-00:01"),
                                                 "", "fallback");
    ASSERT_TRUE(task);
    EXPECT_EQ(task->state, LightState::working);
    EXPECT_EQ(task->updatedAt, at("2026-03-01T09:00:00Z"));

    ClaudeReadState state{{{sessionID, Date{1000}}}};
    state.markRead(*task, Date{794050200});
    state.save(file, Date{794050300});
    EXPECT_EQ(ClaudeReadState::load(file), state);
}

TEST(ClaudeReadStateTests, DefaultLocationIsInTheHomeFolder) {
    EXPECT_EQ(ClaudeReadState::defaultURL(),
              FileIO::homeDirectory() / ".local/share/quorvel/claude-read-state.json");
}

} // namespace
} // namespace quorvel
