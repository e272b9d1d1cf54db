#include "Orca/OrcaSessionIndex.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

// ---- Attaching sessions to tasks ----

std::string uuid(int n) {
    const std::string digits = std::to_string(n);
    return std::string(8 - digits.size(), '0') + digits + "-aaaa-4aaa-8aaa-aaaaaaaaaaaa";
}

OrcaSessionReference pane(const std::string& provider, const std::string& sessionID, std::string leaf,
                          double observedAt) {
    return {provider, sessionID, "tab", std::move(leaf), "wt", Date{observedAt}, std::nullopt};
}

TaskStatus codexTask(const std::string& id, const std::string& name, double updatedAt) {
    return TaskStatus::make(id, name, LightState::done, Date{updatedAt}, std::string(codexHistorySource));
}

TaskStatus claudeTask(const std::string& id, const std::string& name, double updatedAt) {
    return TaskStatus::make(id, name, LightState::done, Date{updatedAt}, std::string(claudeCodeSource));
}

TaskStatus localTask(const std::string& id, double updatedAt) {
    return TaskStatus::make(id, id, LightState::working, Date{updatedAt}, std::string(localStatusSource));
}

TEST(OrcaSessionIndexApplying, AttachesTheNewestSessionTheFirstOnATie) {
    const auto id = uuid(1);
    const OrcaSessionIndex index{{pane("codex", id, "old", 10), pane("codex", id, "first", 20),
                                  pane("codex", id, "second", 20), pane("claude", id, "other", 99)}};
    const auto result = index.applying({codexTask("CODEX-" + id, "n", 5)}, {}, 30);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].orcaSession->leafID, "first");
}

TEST(OrcaSessionIndexApplying, FallsBackToTheRetainedThenTheTasksOwnSession) {
    const OrcaSessionIndex index;
    const auto retained = pane("codex", uuid(1), "retained", 1);
    const auto own = pane("codex", uuid(2), "own", 1);
    auto withOwn = codexTask("codex-" + uuid(2), "b", 1);
    withOwn.orcaSession = own;
    const auto result =
        index.applying({codexTask("Codex-" + uuid(1), "a", 2), withOwn, codexTask("codex-x", "c", 0)},
                       {{"codex-" + uuid(1), retained}}, 30);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].orcaSession, retained);
    EXPECT_EQ(result[1].orcaSession, own);
    EXPECT_EQ(result[2].orcaSession, std::nullopt);
}

TEST(OrcaSessionIndexApplying, DuplicatesMergeIntoTheNewerKeepingItsIdText) {
    const OrcaSessionIndex index;
    const auto lower = "codex-" + uuid(1);
    const auto upper = "CODEX-" + uuid(1);
    auto older = codexTask(lower, "older", 10);
    older.orcaSession = pane("codex", uuid(1), "older-pane", 1);

    auto result = index.applying({older, codexTask(upper, "newer", 11)}, {}, 30);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].id, upper);
    EXPECT_EQ(result[0].name, "newer");
    EXPECT_EQ(result[0].orcaSession, std::nullopt) << "the replaced entry's session is not carried over";

    result = index.applying({codexTask(upper, "first", 10), older}, {}, 30);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].id, upper) << "a tie keeps the first";
    EXPECT_EQ(result[0].name, "first");
    EXPECT_EQ(result[0].orcaSession, older.orcaSession) << "but takes the later one's session";
}

TEST(OrcaSessionIndexApplying, PlaceholderNamesGiveWayToRealOnes) {
    const OrcaSessionIndex index;
    const auto id = "claude-" + uuid(7);
    const std::string placeholder = "Claude task 00000007";

    auto result =
        index.applying({claudeTask(id, "Fix the build", 10), claudeTask(id, placeholder, 20)}, {}, 30);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].updatedAt, Date{20});
    EXPECT_EQ(result[0].name, "Fix the build") << "a newer placeholder takes the older name";

    result = index.applying({claudeTask(id, placeholder, 20), claudeTask(id, "Fix the build", 10)}, {}, 30);
    EXPECT_EQ(result.at(0).name, "Fix the build") << "a kept placeholder takes the older duplicate's name";

    result = index.applying({claudeTask(id, "Old name", 10), claudeTask(id, "New name", 20)}, {}, 30);
    EXPECT_EQ(result.at(0).name, "New name");

    const auto codexID = "codex-" + uuid(8);
    result = index.applying({codexTask(codexID, "Named", 10), codexTask(codexID, "Codex task 00000008", 20)},
                            {}, 30);
    EXPECT_EQ(result.at(0).name, "Named");
}

TEST(OrcaSessionIndexApplying, OrdersNewestFirstAndCapsEachAssistant) {
    const OrcaSessionIndex index;
    std::vector<TaskStatus> tasks;
    for (int i = 0; i < 40; ++i)
        tasks.push_back(codexTask("codex-" + uuid(i), "c", 100 + i));
    for (int i = 0; i < 35; ++i)
        tasks.push_back(localTask("local-" + std::to_string(i), 50));
    tasks.push_back(claudeTask("claude-b", "b", 500));
    tasks.push_back(claudeTask("claude-a", "a", 500));

    const auto result = index.applying(tasks, {}, 30);
    ASSERT_EQ(result.size(), 30u + 35u + 2u);
    EXPECT_EQ(result[0].id, "claude-a") << "ties ordered by id";
    EXPECT_EQ(result[1].id, "claude-b");
    EXPECT_EQ(result[2].id, "codex-" + uuid(39));
    EXPECT_EQ(result[31].id, "codex-" + uuid(10)) << "the ten oldest Codex tasks are dropped";
    EXPECT_EQ(result[32].id, "local-0");
    EXPECT_EQ(result[33].id, "local-1");
    EXPECT_EQ(result[34].id, "local-10");
}

// ---- Tasks from the transcripts Orca names ----

const std::string codexSessionID = "019c8bfe-ec25-79e0-97d7-bda6a9c575ff";
const std::string claudeSessionID = "55604662-cf2a-4331-851a-ec234028f8ca";
const double modifiedUnix = 1'780'000'000;
const Date now = Date::fromUnix(modifiedUnix + 600);

class OrcaTranscriptTasks : public ::testing::Test {
protected:
    TemporaryDirectory home;
    TemporaryDirectory outside;

    std::filesystem::path place(const std::filesystem::path& fixture, const std::filesystem::path& target) {
        testing::writeFile(target, testing::readFile(testing::fixturesDirectory() / fixture));
        testing::setModificationTime(target, modifiedUnix);
        return target;
    }
    std::filesystem::path codexFile(const std::string& relative = ".codex/sessions/rollout.jsonl") {
        return place("codex/localpush-desktop-short.jsonl", home / relative);
    }
    std::filesystem::path claudeFile(const std::string& relative = ".claude/projects/p/session.jsonl") {
        return place("claude/spotter-short.jsonl", home / relative);
    }

    static OrcaSessionReference reference(const std::string& provider, const std::string& sessionID,
                                          std::optional<std::string> path) {
        return {provider, sessionID, "tab", "leaf", "wt", Date::fromUnix(modifiedUnix), std::move(path)};
    }
    std::vector<TaskStatus> tasksFor(const OrcaSessionReference& ref, Date at = now) const {
        return OrcaSessionIndex{{ref}}.transcriptTasks(home.path(), at);
    }
};

TEST_F(OrcaTranscriptTasks, CodexAndClaudeTranscriptsBecomeOrcaTasks) {
    const auto codex = reference("codex", codexSessionID, codexFile().string());
    const auto claude = reference("claude", claudeSessionID, claudeFile().string());
    const auto tasks =
        OrcaSessionIndex{{reference("codex", codexSessionID, std::nullopt), codex, claude}}.transcriptTasks(
            home.path(), now);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].id, "codex-" + codexSessionID);
    EXPECT_EQ(tasks[0].source, codexHistorySource);
    EXPECT_EQ(tasks[0].orcaSession, codex);
    EXPECT_EQ(tasks[1].id, "claude-" + claudeSessionID);
    EXPECT_EQ(tasks[1].source, claudeCodeSource);
    EXPECT_EQ(tasks[1].orcaSession, claude);
}

TEST_F(OrcaTranscriptTasks, TranscriptMustLieUnderHomeWithoutLinks) {
    const auto file = codexFile();
    EXPECT_EQ(tasksFor(reference("codex", codexSessionID,
                                 (home / ".codex/../.codex/sessions/rollout.jsonl").string()))
                  .size(),
              1u)
        << "dot-dot components are removed first";

    place("codex/localpush-desktop-short.jsonl", outside / "rollout.jsonl");
    const std::vector<std::filesystem::path> refused = {
        outside / "rollout.jsonl",
        home / "../" / outside.path().filename() / "rollout.jsonl",
        home.path().string() + "-other/rollout.jsonl",
    };
    for (const auto& path : refused)
        EXPECT_TRUE(tasksFor(reference("codex", codexSessionID, path.string())).empty()) << path;

    std::filesystem::create_symlink(file, home / "link.jsonl");
    EXPECT_TRUE(tasksFor(reference("codex", codexSessionID, (home / "link.jsonl").string())).empty());
    std::filesystem::create_directory_symlink(home / ".codex/sessions", home / "linked-folder");
    EXPECT_TRUE(tasksFor(reference("codex", codexSessionID, (home / "linked-folder/rollout.jsonl").string()))
                    .empty());
}

TEST_F(OrcaTranscriptTasks, OnlyRecentJsonlFilesAreRead) {
    for (const auto* name : {"rollout.json", "rollout.JSONL", "rollout.jsonl.bak", "jsonl"})
        EXPECT_TRUE(tasksFor(reference("codex", codexSessionID, codexFile(name).string())).empty()) << name;

    const auto ref = reference("codex", codexSessionID, codexFile().string());
    EXPECT_TRUE(tasksFor(ref, Date::fromUnix(modifiedUnix + 86'400)).empty())
        << "unchanged for exactly a day";
    EXPECT_EQ(tasksFor(ref, Date::fromUnix(modifiedUnix + 86'399)).size(), 1u);
    EXPECT_EQ(tasksFor(ref, Date::fromUnix(modifiedUnix - 3600)).size(), 1u) << "a future date is accepted";
}

TEST_F(OrcaTranscriptTasks, TranscriptOfAnotherSessionYieldsNoTask) {
    const std::string otherID = "11111111-2222-4333-8444-555555555555";
    EXPECT_TRUE(tasksFor(reference("codex", otherID, codexFile().string())).empty());
    EXPECT_TRUE(tasksFor(reference("claude", otherID, claudeFile().string())).empty());
    EXPECT_TRUE(tasksFor(reference("claude", codexSessionID, codexFile().string())).empty())
        << "wrong parser";
}

TEST_F(OrcaTranscriptTasks, CodexSessionIdComparesWithoutLetterCase) {
    const auto file = home / "upper.jsonl";
    testing::writeFile(file,
                       R"({"timestamp":"2026-05-28T20:00:00.000Z","type":"session_meta","payload":{"id":")" +
                           std::string("019C8BFE-EC25-79E0-97D7-BDA6A9C575FF") + R"("}})" + "\n");
    testing::setModificationTime(file, modifiedUnix);
    const auto tasks = tasksFor(reference("codex", codexSessionID, file.string()));
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].id, "codex-" + codexSessionID);
    EXPECT_EQ(tasks[0].name, "Codex task 019c8bfe");
}

TEST_F(OrcaTranscriptTasks, UnreadableFilesYieldNoTask) {
    std::filesystem::create_directories(home / "folder.jsonl");
    EXPECT_TRUE(tasksFor(reference("codex", codexSessionID, (home / "folder.jsonl").string())).empty());
    EXPECT_TRUE(tasksFor(reference("codex", codexSessionID, (home / "missing.jsonl").string())).empty());
}

} // namespace
} // namespace quorvel
