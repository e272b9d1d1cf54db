#include "Model/StatusError.h"
#include "Model/TaskStatus.h"
#include "Orca/OrcaReadState.h"
#include "Support/Json.h"
#include "Support/UnreadableFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

const std::string sessionID = "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d";
const std::string taskKey = "codex-" + sessionID;
const Date now{800'000'000};

OrcaSessionReference reference(Date observedAt = now - 10, std::string leaf = "leaf-1") {
    return {"codex", sessionID, "tab-1", std::move(leaf), "wt", observedAt, std::nullopt};
}

TaskStatus orcaTask(std::string id, Date updatedAt,
                    std::optional<OrcaSessionReference> session = reference()) {
    auto task =
        TaskStatus::make(std::move(id), "task", LightState::done, updatedAt, std::string(codexHistorySource));
    task.orcaSession = std::move(session);
    return task;
}

TEST(OrcaReadState, ReadMarkCoversUpdatesUpToItsDate) {
    OrcaReadState state;
    const auto task = orcaTask(taskKey, Date{1000});
    EXPECT_FALSE(state.hasRead(task));
    state.markRead(task);
    EXPECT_EQ(state.readAt, (std::map<std::string, Date>{{taskKey, Date{1000}}}));
    EXPECT_TRUE(state.hasRead(task));
    EXPECT_FALSE(state.hasRead(orcaTask(taskKey, Date{1000.5}))) << "a newer update is unread again";
    EXPECT_TRUE(state.ownership.empty()) << "marking leaves ownership alone";
}

TEST(OrcaReadState, TasksOutsideOrcaAreNeverJudgedNorMarked) {
    OrcaReadState state;
    state.readAt[taskKey] = Date{5000};
    const auto plain = orcaTask(taskKey, Date{1000}, std::nullopt);
    EXPECT_FALSE(state.hasRead(plain));
    auto marked = state;
    marked.markRead(orcaTask(taskKey, Date{9000}, std::nullopt));
    EXPECT_EQ(marked, state);
}

TEST(OrcaReadState, IdsDifferingInLetterCaseShareOneEntry) {
    OrcaReadState state;
    const std::string upper = "CODEX-0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";
    state.remember({orcaTask(upper, Date{1000})}, now);
    state.markRead(orcaTask(upper, Date{1000}));
    EXPECT_EQ(state.ownership.count(taskKey), 1u);
    EXPECT_EQ(state.readAt.count(taskKey), 1u);
    EXPECT_TRUE(state.hasRead(orcaTask(taskKey, Date{1000})));
}

TEST(OrcaReadState, RememberAgesOutOwnershipAfterSevenDays) {
    OrcaReadState state;
    state.ownership = {{"old", reference(now - 604'800)},
                       {"young", reference(now - 604'799.5)},
                       {"future", reference(now + 100)}};
    state.readAt = {{"old", Date{1}}, {"young", Date{2}}, {"stray", Date{3}}};
    state.remember({}, now);
    EXPECT_EQ(state.ownership.size(), 2u);
    EXPECT_TRUE(state.ownership.contains("young") && state.ownership.contains("future"));
    EXPECT_EQ(state.readAt, (std::map<std::string, Date>{{"young", Date{2}}}));
}

TEST(OrcaReadState, RememberStoresCurrentSessionsAndKeepsTheirMarks) {
    OrcaReadState state;
    const auto ancient = reference(now - 1'000'000);
    state.readAt[taskKey] = Date{1000};
    state.ownership[taskKey] = reference(now - 5, "old-leaf");
    const auto later = reference(now, "new-leaf");
    state.remember({orcaTask(taskKey, Date{1000}, ancient), orcaTask("codex-other", Date{1}, std::nullopt),
                    orcaTask("CODEX-" + sessionID, Date{1000}, later)},
                   now);
    EXPECT_EQ(state.ownership, (std::map<std::string, OrcaSessionReference>{{taskKey, later}}))
        << "the later task of one id wins, even over an aged reference";
    EXPECT_TRUE(state.readAt.contains(taskKey));

    // A changed reference does not make the task unread.
    EXPECT_TRUE(state.hasRead(orcaTask(taskKey, Date{1000}, reference(now, "moved"))));
}

TEST(OrcaReadState, MarkOfATaskCurrentButAgedIsKept) {
    OrcaReadState state;
    state.readAt[taskKey] = Date{1000};
    state.remember({orcaTask(taskKey, Date{1000}, reference(now - 2'000'000))}, now);
    EXPECT_TRUE(state.readAt.contains(taskKey));
    state.remember({}, now);
    EXPECT_TRUE(state.ownership.empty());
    EXPECT_TRUE(state.readAt.empty()) << "gone at the next remember once its task left";
}

class OrcaReadStateFile : public ::testing::Test {
protected:
    TemporaryDirectory home;
    std::filesystem::path file() const { return home / ".local/share/quorvel/orca-state.json"; }

    OrcaReadState sample() const {
        OrcaReadState state;
        auto withPath = reference(Date{799'999'990.25});
        withPath.transcriptPath = "/home/u/t.jsonl";
        state.ownership = {{taskKey, withPath}, {"claude-x", reference(Date{799'000'000})}};
        state.readAt = {{taskKey, Date{799'999'999.125}}};
        return state;
    }
};

TEST_F(OrcaReadStateFile, SaveAndLoadRoundTrip) {
    EXPECT_EQ(OrcaReadState::load(file()), OrcaReadState{}) << "missing file";
    const auto state = sample();
    state.save(file(), now);
    EXPECT_EQ(OrcaReadState::load(file()), state);
    EXPECT_EQ(testing::permissions(file()), 0600u);
    EXPECT_EQ(testing::permissions(file().parent_path()), 0700u);
}

TEST_F(OrcaReadStateFile, WrittenFormIsCompactWithSortedKeys) {
    OrcaReadState state;
    state.ownership["codex-b"] = reference(Date{10.5});
    state.readAt = {{"codex-b", Date{2}}, {"codex-a", Date{1.5}}};
    state.save(file(), now);
    EXPECT_EQ(testing::readFile(file()),
              R"({"ownership":{"codex-b":{"leafID":"leaf-1","observedAt":10.5,"provider":"codex",)"
              R"("sessionID":")" +
                  sessionID +
                  R"(","tabID":"tab-1","worktreeID":"wt"}},)"
                  R"("readAt":{"codex-a":1.5,"codex-b":2.0}})");
}

TEST_F(OrcaReadStateFile, UnchangedStateIsNotRewritten) {
    const auto state = sample();
    state.save(file(), now);
    testing::setModificationTime(file(), 1'000'000'000);
    ::chmod(file().c_str(), 0640);
    state.save(file(), now);
    struct stat status {};
    ASSERT_EQ(::stat(file().c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, 1'000'000'000);
    EXPECT_EQ(testing::permissions(file()), 0640u) << "permissions are not set again either";

    auto changed = state;
    changed.readAt["codex-new"] = Date{1};
    changed.save(file(), now);
    EXPECT_EQ(OrcaReadState::load(file()), changed);
    EXPECT_EQ(testing::permissions(file()), 0600u);
}

TEST_F(OrcaReadStateFile, AFileThatDoesNotLoadIsKeptAsideBeforeTheSave) {
    const std::string damaged = R"({"ownership": {"codex-a": 1}, "readAt": {}})";
    testing::writeFile(file(), damaged);
    sample().save(file(), now);
    EXPECT_EQ(OrcaReadState::load(file()), sample());
    EXPECT_EQ(testing::readFile(UnreadableFile::keptPath(file(), now)), damaged);
}

TEST_F(OrcaReadStateFile, LoadAcceptsAnyKeyOrderAndNullTranscriptPath) {
    testing::writeFile(file(), R"({"readAt": {"codex-a": 3}, "ownership": {"codex-a": {"transcriptPath": null,
        "worktreeID": "wt", "observedAt": 4, "leafID": "l", "tabID": "t", "sessionID": "s", "provider": "codex"}}})");
    const auto state = OrcaReadState::load(file());
    EXPECT_EQ(state.readAt.at("codex-a"), Date{3});
    EXPECT_EQ(state.ownership.at("codex-a").transcriptPath, std::nullopt);
}

TEST_F(OrcaReadStateFile, MalformedFilesFailToLoad) {
    const std::vector<std::string> malformed = {
        R"({"ownership": {}})",
        R"({"readAt": {}})",
        R"({"ownership": [], "readAt": {}})",
        R"({"ownership": {}, "readAt": {"a": "2026-01-01T00:00:00Z"}})",
        R"({"ownership": {"a": 1}, "readAt": {}})",
        R"({"ownership": {"a": {"provider": "codex"}}, "readAt": {}})",
        R"([])",
    };
    for (const auto& text : malformed) {
        testing::writeFile(file(), text);
        EXPECT_THROW(OrcaReadState::load(file()), JsonDecodeError) << text;
    }
    testing::writeFile(file(), "{");
    EXPECT_THROW(OrcaReadState::load(file()), JsonParseError);
}

TEST_F(OrcaReadStateFile, SizeCapAndLinksAreEnforced) {
    std::string text = R"({"ownership": {}, "readAt": {}})";
    text.append(OrcaReadState::fileLimit - text.size(), ' ');
    testing::writeFile(file(), text);
    EXPECT_EQ(OrcaReadState::load(file()), OrcaReadState{});
    testing::writeFile(file(), text + " ");
    EXPECT_THROW(OrcaReadState::load(file()), StatusError);

    sample().save(home / "valid.json", now);
    std::filesystem::remove(file());
    std::filesystem::create_symlink(home / "valid.json", file());
    EXPECT_THROW(OrcaReadState::load(file()), StatusError);
}

TEST_F(OrcaReadStateFile, SaveRefusesAStateLargerThanLoadAccepts) {
    const auto state = sample();
    state.save(file(), now);
    auto huge = state;
    for (int i = 0; i < 1000; ++i)
        huge.ownership["codex-" + std::to_string(i)] = reference(now, std::string(8192, 'l'));
    EXPECT_THROW(huge.save(file(), now), StatusError);
    EXPECT_EQ(OrcaReadState::load(file()), state);
}

TEST(OrcaReadStateDefaultURL, LiesInTheDataFolder) {
    TemporaryDirectory home;
    testing::ScopedEnvironmentVariable variable("HOME", home.path().string());
    EXPECT_EQ(OrcaReadState::defaultURL(), home / ".local/share/quorvel/orca-state.json");
}

} // namespace
} // namespace quorvel
