#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeReadState.h"
#include "Codex/CodexReadMarks.h"
#include "CodexHistoryGenerator.h"
#include "Model/StatusStore.h"
#include "Orca/OrcaSessionIndex.h"
#include "Refresh/RefreshWorker.h"
#include "Support/FileIO.h"
#include "TestSupport.h"
#include "WallClock.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

using namespace quorvel;
using quorvel::testing::TemporaryDirectory;
namespace fixtures = quorvel::testing;
using quorvel::testing::writeFile;
namespace fs = std::filesystem;

namespace {

// 2025-12-06T05:33:20Z
constexpr double nowUnix = 1765000000;
const Date now = Date::fromUnix(nowUnix);

std::string sessionUuid(int number) {
    char text[40];
    std::snprintf(text, sizeof text, "5f0c2d1e-8b7a-4c3d-9e2f-%012d", number);
    return text;
}

std::string claudeLine(std::string_view type, const std::string& sessionID, double unix,
                       const nlohmann::json& message) {
    return nlohmann::json({{"type", type},
                           {"sessionId", sessionID},
                           {"cwd", "/home/me/app"},
                           {"timestamp", fixtures::isoTimestamp(unix)},
                           {"message", message}})
               .dump() +
           "\n";
}

std::string finishedTranscript(const std::string& sessionID, double unix) {
    return claudeLine("user", sessionID, unix - 5, {{"role", "user"}, {"content", "Fix the build"}}) +
           claudeLine("assistant", sessionID, unix,
                      {{"role", "assistant"},
                       {"stop_reason", "end_turn"},
                       {"content", {{{"type", "text"}, {"text", "Done."}}}}});
}

// A file whose own path is too long to be looked up, in a folder that can still be listed: reading
// its properties fails with the platform's error.
void writeUnreachableFile(const fs::path& folder, const std::string& name) {
    fs::path deep = folder;
    while (deep.string().size() < 4000)
        deep /= std::string(200, 'd');
    fs::create_directories(deep);
    const int directory = ::open(deep.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(directory, 0);
    const int file = ::openat(directory, name.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(directory);
}

class RefreshWorkerTest : public ::testing::Test {
protected:
    RefreshWorkerTest() { environment.home = home.path(); }

    fs::path claudeTranscript(const std::string& sessionID, double ageSeconds,
                              const std::string& project = "app") {
        const fs::path path = home / ".claude/projects" / ("-home-me-" + project) / (sessionID + ".jsonl");
        writeFile(path, finishedTranscript(sessionID, nowUnix - ageSeconds - 1));
        fixtures::setModificationTime(path, nowUnix - ageSeconds);
        return path;
    }

    fs::path codexSession(const std::string& threadID, double ageSeconds) {
        const fs::path path =
            home / ".codex/sessions/2025/12/06" / ("rollout-2025-12-06T05-00-00-" + threadID + ".jsonl");
        writeFile(path, fixtures::generateCodexHistory(3000, threadID, nowUnix - ageSeconds - 600).bytes);
        fixtures::setModificationTime(path, nowUnix - ageSeconds);
        return path;
    }

    void localRecord(const std::string& id) {
        StatusStore(StatusStore::defaultDirectory(home.path()))
            .write(TaskStatus::make(id, "Nightly", LightState::working, now - 10, "Local status"));
    }

    void orcaStatus(const std::vector<std::pair<std::string, fs::path>>& claudeSessions) {
        nlohmann::json entries = nlohmann::json::object();
        int pane = 0;
        for (const auto& [sessionID, transcript] : claudeSessions) {
            const std::string tab = sessionUuid(900 + pane);
            const std::string key = tab + ":" + sessionUuid(800 + pane++);
            entries[key] = {
                {"paneKey", key},
                {"payload", {{"agentType", "claude"}}},
                {"providerSession",
                 {{"key", "session_id"}, {"id", sessionID}, {"transcriptPath", transcript.string()}}},
                {"tabId", tab},
                {"worktreeId", "wt"},
                {"receivedAt", (nowUnix - 100) * 1000}};
        }
        writeFile(OrcaSessionIndex::statusFile(OrcaSessionIndex::root(home.path())),
                  nlohmann::json({{"version", 2}, {"entries", entries}}).dump());
    }

    std::vector<std::string> ids(const RefreshSnapshot& snapshot) {
        std::vector<std::string> result;
        for (const auto& task : snapshot.tasks)
            result.push_back(task.id);
        std::sort(result.begin(), result.end());
        return result;
    }

    TemporaryDirectory home;
    RefreshEnvironment environment;
};

} // namespace

TEST_F(RefreshWorkerTest, ReadsLocalCodexAndClaudeTasksWithoutWarnings) {
    localRecord("build-1");
    codexSession(sessionUuid(1), 100);
    claudeTranscript(sessionUuid(2), 50);
    const RefreshSnapshot snapshot = loadRefreshSnapshot(true, true, environment, now);
    EXPECT_EQ(ids(snapshot),
              (std::vector<std::string>{"build-1", "claude-" + sessionUuid(2), "codex-" + sessionUuid(1)}));
    EXPECT_FALSE(snapshot.diagnostic);
    EXPECT_EQ(snapshot.claudeHealth, ClaudeIntegrationHealth::disabled);
    EXPECT_FALSE(snapshot.readState.codex.unread); // no Codex global state: flags unknown
}

TEST_F(RefreshWorkerTest, QuorvelsOwnCodexMarksAreReadAndAnUnreadableFileGivesNone) {
    const fs::path marks = CodexReadMarks::defaultURL(home.path());
    writeFile(marks, nlohmann::json({{"readAt", {{sessionUuid(1), "2025-12-06T05:43:20Z"}}}}).dump());
    EXPECT_EQ(loadRefreshSnapshot(false, false, environment, now).readState.codexMarks.readAt,
              (std::map<std::string, Date>{{sessionUuid(1), now - 200}}));
    writeFile(marks, "{\"readAt\":{\"x\":\"2025-12-06T05:30:00.5Z\"}}");
    EXPECT_TRUE(loadRefreshSnapshot(false, false, environment, now).readState.codexMarks.readAt.empty());
}

TEST_F(RefreshWorkerTest, DisabledProvidersAreNotReadAndTheirOrcaTasksAreDropped) {
    localRecord("build-1");
    codexSession(sessionUuid(1), 100);
    const fs::path transcript = claudeTranscript(sessionUuid(2), 50);
    orcaStatus({{sessionUuid(2), transcript}});

    EXPECT_EQ(ids(loadRefreshSnapshot(false, false, environment, now)), std::vector<std::string>{"build-1"});
    EXPECT_EQ(ids(loadRefreshSnapshot(true, false, environment, now)),
              (std::vector<std::string>{"build-1", "codex-" + sessionUuid(1)}));
    const RefreshSnapshot claudeOnly = loadRefreshSnapshot(false, true, environment, now);
    ASSERT_EQ(ids(claudeOnly), (std::vector<std::string>{"build-1", "claude-" + sessionUuid(2)}));
    for (const auto& task : claudeOnly.tasks)
        EXPECT_EQ(task.isOrcaTask(), task.id != "build-1") << task.id;
}

TEST_F(RefreshWorkerTest, UnreadableLocalRecordsGiveTheFailureSnapshot) {
    localRecord("build-1");
    claudeTranscript(sessionUuid(2), 50);
    writeFile(StatusStore::defaultDirectory(home.path()) / "broken.json", "{");
    const RefreshSnapshot snapshot = loadRefreshSnapshot(true, true, environment, now);
    EXPECT_TRUE(snapshot.tasks.empty());
    EXPECT_EQ(snapshot.diagnostic, std::string(refreshFailureDiagnostic));
    EXPECT_FALSE(snapshot.readState.codex.unread);
}

TEST_F(RefreshWorkerTest, UnreadableCodexSessionsGiveTheFailureSnapshotOnlyWhenCodexIsEnabled) {
    localRecord("build-1");
    codexSession(sessionUuid(1), 100);
    writeUnreachableFile(home / ".codex/sessions", "rollout-" + sessionUuid(3) + ".jsonl");
    const RefreshSnapshot failed = loadRefreshSnapshot(true, true, environment, now);
    EXPECT_TRUE(failed.tasks.empty());
    EXPECT_EQ(failed.diagnostic, std::string(refreshFailureDiagnostic));
    const RefreshSnapshot withoutCodex = loadRefreshSnapshot(false, true, environment, now);
    EXPECT_EQ(ids(withoutCodex), std::vector<std::string>{"build-1"});
    EXPECT_FALSE(withoutCodex.diagnostic);
}

TEST_F(RefreshWorkerTest, AttentionAndClaudeFailuresBecomeJoinedWarnings) {
    codexSession(sessionUuid(1), 100);
    claudeTranscript(sessionUuid(2), 50);
    // Today's log folder is a file, so it cannot be listed.
    writeFile(home / "Library/Logs/com.openai.codex/2025/12/06", "not a folder");
    writeUnreachableFile(home / ".claude/projects", sessionUuid(4) + ".jsonl");
    const RefreshSnapshot snapshot = loadRefreshSnapshot(true, true, environment, now);
    EXPECT_EQ(snapshot.diagnostic,
              std::string(codexAttentionWarning) + " " + std::string(claudeStatusWarning));
    EXPECT_EQ(ids(snapshot), std::vector<std::string>{"codex-" + sessionUuid(1)});
}

TEST_F(RefreshWorkerTest, KeepsEveryLocalRecordAndThe30NewestTasksOfEachProvider) {
    for (int i = 0; i < 3; ++i)
        localRecord("local-" + std::to_string(i));
    for (int i = 0; i < 35; ++i)
        claudeTranscript(sessionUuid(100 + i), 60.0 * (i + 1));
    const RefreshSnapshot snapshot = loadRefreshSnapshot(true, true, environment, now);
    ASSERT_EQ(snapshot.tasks.size(), 33u);
    const auto found = ids(snapshot);
    EXPECT_TRUE(std::binary_search(found.begin(), found.end(), "claude-" + sessionUuid(100)));
    EXPECT_FALSE(std::binary_search(found.begin(), found.end(), "claude-" + sessionUuid(134)));
}

// The cached worker must give exactly what a fresh read gives, however the files change between ticks.
class RefreshCacheEquivalenceTest : public RefreshWorkerTest {
protected:
    void expectSameAsUncached(Date at, const char* step) {
        const RefreshSnapshot cached = worker.load(true, true, environment, at);
        const RefreshSnapshot fresh = loadRefreshSnapshot(true, true, environment, at);
        EXPECT_EQ(cached.tasks, fresh.tasks) << step;
        EXPECT_EQ(cached.diagnostic, fresh.diagnostic) << step;
        EXPECT_EQ(cached.claudeHealth, fresh.claudeHealth) << step;
        EXPECT_EQ(cached.readState.codex, fresh.readState.codex) << step;
        EXPECT_EQ(cached.readState.codexAutomations, fresh.readState.codexAutomations) << step;
        EXPECT_EQ(cached.readState.claude, fresh.readState.claude) << step;
        EXPECT_EQ(cached.readState.orca, fresh.readState.orca) << step;
        EXPECT_EQ(cached.readState.codexMarks, fresh.readState.codexMarks) << step;
    }

    // Read as if two seconds after the files were written, so that the cache trusts them.
    RefreshWorker worker{[] { return quorvel::testing::wallClock() + 2; }};
};

TEST_F(RefreshCacheEquivalenceTest, CachedRefreshesMatchFreshOnesAsFilesChange) {
    localRecord("build-1");
    std::vector<fs::path> transcripts, sessions;
    std::vector<std::pair<std::string, fs::path>> orca;
    for (int i = 0; i < 4; ++i) {
        transcripts.push_back(claudeTranscript(sessionUuid(10 + i), 100.0 * (i + 1)));
        sessions.push_back(codexSession(sessionUuid(20 + i), 100.0 * (i + 1)));
    }
    orca.emplace_back(sessionUuid(13), transcripts[3]);
    orcaStatus(orca);
    expectSameAsUncached(now, "first tick");
    expectSameAsUncached(now + 3, "nothing changed");
    EXPECT_GT(worker.cache().claude.transcripts.hits(), 0u);
    EXPECT_GT(worker.cache().codex.histories.hits(), 0u);

    // Lines appended: the task turns to working.
    {
        std::ofstream out(transcripts[0], std::ios::app);
        out << claudeLine("user", sessionUuid(10), nowUnix + 5,
                          {{"role", "user"}, {"content", "And the docs"}});
    }
    expectSameAsUncached(now + 6, "appended lines");

    // A file replaced by another of the same size and modification time.
    {
        const std::string original = fixtures::readFile(sessions[1]);
        std::string replaced = fixtures::generateCodexHistory(3000, sessionUuid(21), nowUnix - 900).bytes;
        replaced.resize(original.size(), ' ');
        const fs::path temporary = sessions[1].string() + ".new";
        writeFile(temporary, replaced.substr(0, replaced.rfind('\n') + 1) +
                                 std::string(original.size() - replaced.rfind('\n') - 1, '\n'));
        fixtures::setModificationTime(temporary, nowUnix - 200);
        fs::rename(temporary, sessions[1]);
    }
    expectSameAsUncached(now + 9, "replaced file");

    // Touched: only the modification time moves, which also moves it out of the day window.
    fixtures::setModificationTime(transcripts[2], nowUnix - 90'000);
    expectSameAsUncached(now + 12, "touched file");

    // A transcript that becomes a link to another one.
    fs::remove(transcripts[1]);
    fs::create_symlink(transcripts[0], transcripts[1]);
    expectSameAsUncached(now + 15, "file became a link");

    // A hook record, a new name in the Codex index, and a removed session.
    ClaudeHookStore(ClaudeHookStore::defaultDirectory(home.path()))
        .ingest(nlohmann::json({{"session_id", sessionUuid(13)},
                                {"hook_event_name", "PermissionRequest"},
                                {"cwd", "/home/me/app"},
                                {"transcript_path", transcripts[3].string()}})
                    .dump(),
                now + 16);
    writeFile(home / ".codex/session_index.jsonl",
              nlohmann::json({{"id", sessionUuid(22)}, {"thread_name", "Renamed"}}).dump() + "\n");
    fs::remove(sessions[3]);
    expectSameAsUncached(now + 18, "hook record, index and removal");
    EXPECT_EQ(worker.cache().codex.histories.size(), 3u); // the removed file's entry is gone

    // Read states and local records rewritten.
    writeFile(ClaudeReadState::defaultURL(home.path()),
              nlohmann::json({{"readAt", {{sessionUuid(10), "2025-12-06T05:40:00Z"}}}}).dump());
    writeFile(CodexReadMarks::defaultURL(home.path()),
              nlohmann::json({{"readAt", {{sessionUuid(20), "2025-12-06T05:40:00Z"}}}}).dump());
    localRecord("build-2");
    fs::remove(StatusStore::defaultDirectory(home.path()) / "build-1.json");
    expectSameAsUncached(now + 21, "read states and local records");
    EXPECT_EQ(worker.cache().codexReadMarks.size(), 1u);
}

// A file that changed within a second of the moment a tick read it may change again with the same
// size and times (file times are coarse), so the next tick reads it again instead of trusting the cache.
TEST_F(RefreshWorkerTest, FilesChangedWithinASecondOfATickAreNotTrustedOnTheNext) {
    claudeTranscript(sessionUuid(2), 50);
    codexSession(sessionUuid(1), 100);
    localRecord("build-1");
    RefreshWorker justAfter{[] { return quorvel::testing::wallClock(); }};
    for (int tick = 0; tick < 3; ++tick)
        justAfter.load(true, true, environment, now + tick);
    EXPECT_EQ(justAfter.cache().claude.transcripts.hits(), 0u);
    EXPECT_EQ(justAfter.cache().codex.histories.hits(), 0u);

    RefreshWorker later{[] { return quorvel::testing::wallClock() + 1.5; }};
    for (int tick = 0; tick < 3; ++tick)
        later.load(true, true, environment, now + tick);
    EXPECT_EQ(later.cache().claude.transcripts.hits(), 2u);
    EXPECT_EQ(later.cache().codex.histories.hits(), 2u);
}
