#include "Codex/CodexAutomationReadState.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const std::string threadID = "5f0c2a4e-9b1d-4c3e-8f7a-6b5c4d3e2f1a";

TaskStatus scheduledTask(std::string idRest, Date updatedAt, std::optional<bool> isScheduled = true) {
    auto task = TaskStatus::make("codex-" + idRest, "nightly", LightState::done, updatedAt,
                                 std::string(codexHistorySource));
    task.isScheduled = isScheduled;
    return task;
}

TEST(CodexAutomationReadStateTests, ReadTestComparesTheMarkWithUpdatedAt) {
    CodexAutomationReadState state;
    auto task = scheduledTask(threadID, Date{1000});
    EXPECT_FALSE(state.hasRead(task));
    state.readAt[threadID] = Date{1000};
    EXPECT_TRUE(state.hasRead(task));
    state.readAt[threadID] = Date{999};
    EXPECT_FALSE(state.hasRead(task));
}

TEST(CodexAutomationReadStateTests, OnlyScheduledCodexTasksWithAUuidTakePart) {
    std::vector<TaskStatus> outsiders{scheduledTask(threadID, Date{1000}, std::nullopt),
                                      scheduledTask(threadID, Date{1000}, false),
                                      scheduledTask(threadID + "0", Date{1000})};
    auto local = scheduledTask(threadID, Date{1000});
    local.source = std::string(localStatusSource);
    outsiders.push_back(local);

    CodexAutomationReadState state{{{threadID, Date{5000}}}};
    for (const auto& task : outsiders) {
        EXPECT_FALSE(state.hasRead(task)) << task.id;
        auto marked = state;
        marked.markRead(task, Date{6000});
        EXPECT_EQ(marked, state) << task.id;
    }
}

TEST(CodexAutomationReadStateTests, MarkReadKeysByLowerCaseThreadAndKeepsAtLeastUpdatedAt) {
    CodexAutomationReadState state;
    auto task = scheduledTask("5F0C2A4E-9B1D-4C3E-8F7A-6B5C4D3E2F1A", Date{1000});
    state.markRead(task, Date{900});
    EXPECT_EQ(state.readAt, (std::map<std::string, Date>{{threadID, Date{1000}}}));
    EXPECT_TRUE(state.hasRead(task));

    state.markRead(scheduledTask(threadID, Date{500}), Date{600});
    EXPECT_EQ(state.readAt.at(threadID), Date{600});
}

TEST(CodexAutomationReadStateTests, AMarkWithinTheFinishingSecondSurvivesSavingAndLoading) {
    testing::TemporaryDirectory home;
    auto file = home / "Quorvel/codex-automation-read-state.json";
    auto task = scheduledTask(threadID, Date{794050200.25});
    CodexAutomationReadState state;
    state.markRead(task, Date{794050200.75});
    state.save(file, Date{794050300});

    auto loaded = CodexAutomationReadState::load(file);
    EXPECT_EQ(loaded, state);
    EXPECT_TRUE(loaded.hasRead(task));
    EXPECT_EQ(testing::readFile(file), R"({"readAt":{")" + threadID + R"(":"2026-03-01T09:30:01Z"}})");
}

TEST(CodexAutomationReadStateTests, DecodeAndDefaultLocation) {
    EXPECT_THROW(CodexAutomationReadState::decode("{}"), JsonDecodeError);
    EXPECT_EQ(CodexAutomationReadState::decode(R"({"readAt":{}})"), CodexAutomationReadState{});

    EXPECT_EQ(CodexAutomationReadState::defaultURL(),
              FileIO::homeDirectory() / ".local/share/quorvel/codex-automation-read-state.json");
}

} // namespace
} // namespace quorvel
