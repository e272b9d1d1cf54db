#include "Codex/CodexReadMarks.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const std::string threadID = "5f0c2a4e-9b1d-4c3e-8f7a-6b5c4d3e2f1a";

TaskStatus codexTask(std::string idRest, Date updatedAt) {
    return TaskStatus::make("codex-" + idRest, "answer", LightState::done, updatedAt,
                            std::string(codexHistorySource));
}

TEST(CodexReadMarksTests, AMarkAtOrAfterUpdatedAtMeansRead) {
    CodexReadMarks marks;
    auto task = codexTask(threadID, Date{1000});
    EXPECT_FALSE(marks.hasRead(task));
    marks.readAt[threadID] = Date{1000};
    EXPECT_TRUE(marks.hasRead(task));
    marks.readAt[threadID] = Date{999};
    EXPECT_FALSE(marks.hasRead(task));
}

TEST(CodexReadMarksTests, MarksAreKeptByLowerCaseThreadAndAtLeastUpdatedAt) {
    CodexReadMarks marks;
    auto task = codexTask("5F0C2A4E-9B1D-4C3E-8F7A-6B5C4D3E2F1A", Date{1000});
    marks.markRead(task, Date{900});
    EXPECT_EQ(marks.readAt, (std::map<std::string, Date>{{threadID, Date{1000}}}));
    EXPECT_TRUE(marks.hasRead(task));

    task.updatedAt = Date{1001}; // a later turn of the same thread
    EXPECT_FALSE(marks.hasRead(task));
}

TEST(CodexReadMarksTests, OnlyCodexTasksWithAThreadUuidTakePart) {
    auto local = codexTask(threadID, Date{1000});
    local.source = std::string(localStatusSource);
    auto claude = TaskStatus::make("claude-" + threadID, "c", LightState::done, Date{1000},
                                   std::string(claudeCodeSource));
    CodexReadMarks marks{{{threadID, Date{5000}}}};
    for (const auto& task : {local, claude, codexTask(threadID + "0", Date{1000})}) {
        EXPECT_FALSE(marks.hasRead(task)) << task.id;
        auto marked = marks;
        marked.markRead(task, Date{6000});
        EXPECT_EQ(marked, marks) << task.id;
    }
}

TEST(CodexReadMarksTests, AMarkWithinTheFinishingSecondSurvivesSavingAndLoading) {
    testing::TemporaryDirectory home;
    const auto file = CodexReadMarks::defaultURL(home.path());
    auto task = codexTask(threadID, Date{794050200.25});
    CodexReadMarks marks;
    marks.markRead(task, Date{794050200.75});
    marks.save(file, Date{794050300});

    EXPECT_EQ(testing::readFile(file), R"({"readAt":{")" + threadID + R"(":"2026-03-01T09:30:01Z"}})");
    const auto loaded = CodexReadMarks::load(file);
    EXPECT_EQ(loaded, marks);
    EXPECT_TRUE(loaded.hasRead(task));
}

TEST(CodexReadMarksTests, AMissingFileHasNoMarksAndAFileWithoutReadAtIsAnError) {
    testing::TemporaryDirectory home;
    EXPECT_EQ(CodexReadMarks::load(CodexReadMarks::defaultURL(home.path())), CodexReadMarks{});
    EXPECT_THROW(CodexReadMarks::decode("{}"), JsonDecodeError);
    EXPECT_EQ(CodexReadMarks::decode(R"({"readAt":{}})"), CodexReadMarks{});
}

TEST(CodexReadMarksTests, DefaultLocationIsBesideTheOtherReadStates) {
    EXPECT_EQ(CodexReadMarks::defaultURL(),
              FileIO::homeDirectory() / ".local/share/quorvel/codex-read-marks.json");
}

} // namespace
} // namespace quorvel
