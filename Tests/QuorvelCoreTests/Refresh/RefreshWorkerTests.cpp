#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeReadState.h"
#include "Codex/CodexReadMarks.h"
#include "CodexHistoryGenerator.h"
#include "Model/StatusStore.h"
#include "Orca/OrcaSessionIndex.h"
#include "Refresh/RefreshWorker.h"
#include "ScriptedFolderWatch.h"
#include "Support/FileIO.h"
#include "Support/InotifyFolderWatch.h"
#include "TestSupport.h"
#include "WallClock.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>
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

void expectSame(const RefreshSnapshot& cached, const RefreshSnapshot& fresh, const std::string& step) {
    EXPECT_EQ(cached.tasks, fresh.tasks) << step;
    EXPECT_EQ(cached.diagnostic, fresh.diagnostic) << step;
    EXPECT_EQ(cached.claudeHealth, fresh.claudeHealth) << step;
    EXPECT_EQ(cached.readState.codex, fresh.readState.codex) << step;
    EXPECT_EQ(cached.readState.codexAutomations, fresh.readState.codexAutomations) << step;
    EXPECT_EQ(cached.readState.claude, fresh.readState.claude) << step;
    EXPECT_EQ(cached.readState.orca, fresh.readState.orca) << step;
    EXPECT_EQ(cached.readState.codexMarks, fresh.readState.codexMarks) << step;
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

// The cached worker, with and without a folder watch, must give exactly what a fresh read gives,
// however the files change between ticks.
class RefreshCacheEquivalenceTest : public RefreshWorkerTest {
protected:
    void expectSameAsUncached(Date at, const char* step) {
        const RefreshSnapshot fresh = loadRefreshSnapshot(true, true, environment, at);
        expectSame(worker.load(true, true, environment, at), fresh, step);
        expectSame(watchingWorker.load(true, true, environment, at), fresh,
                   std::string(step) + " (watching)");
    }

    // Read as if two seconds after the files were written, so that the cache trusts them.
    static Date readMoment() { return quorvel::testing::wallClock() + 2; }
    RefreshWorker worker{readMoment};
    RefreshWorker watchingWorker{readMoment, std::make_unique<InotifyFolderWatch>()};
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
    // The same with a folder watch: an event makes a tick look at a file again, but only this rule tells
    // whether what a tick read can be trusted.
    for (const bool watching : {false, true}) {
        auto worker = [&](std::function<Date()> readClock) {
            return RefreshWorker(std::move(readClock),
                                 watching ? std::make_unique<InotifyFolderWatch>() : nullptr);
        };
        RefreshWorker justAfter = worker([] { return quorvel::testing::wallClock(); });
        for (int tick = 0; tick < 3; ++tick)
            justAfter.load(true, true, environment, now + tick);
        EXPECT_EQ(justAfter.cache().claude.transcripts.hits(), 0u) << watching;
        EXPECT_EQ(justAfter.cache().codex.histories.hits(), 0u) << watching;

        RefreshWorker later = worker([] { return quorvel::testing::wallClock() + 1.5; });
        for (int tick = 0; tick < 3; ++tick)
            later.load(true, true, environment, now + tick);
        EXPECT_EQ(later.cache().claude.transcripts.hits(), 2u) << watching;
        EXPECT_EQ(later.cache().codex.histories.hits(), 2u) << watching;
    }
}

namespace {

// Files and folders written, renamed, deleted and replaced in every way and at every pace (several
// changes between two ticks, changes in the same second as the tick that reads them, ticks without
// changes, pauses after which the cache trusts what it read) while a worker with a folder watch
// refreshes, reading the real clock as the application does.
class RefreshWatchEquivalenceTest : public RefreshWorkerTest {
protected:
    static double wallSeconds() { return quorvel::testing::wallClock().unixSeconds(); }
    fs::path projects() const { return home / ".claude/projects"; }
    fs::path codexSessions() const { return home / ".codex/sessions"; }
    int below(int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }
    std::string name(const char* prefix) { return prefix + std::to_string(next++); }
    std::string freshUuid() { return sessionUuid(next++); }

    // The entries below `root` (not hidden ones) that are files or links, or folders, sorted.
    std::vector<fs::path> entries(const fs::path& root, bool wantFolders) const {
        std::vector<fs::path> found;
        std::error_code error;
        if (!fs::is_directory(root, error))
            return found;
        for (auto item = fs::recursive_directory_iterator(root, error); item != fs::end(item); ++item)
            if (item->is_directory(error) && !item->is_symlink(error) ? wantFolders : !wantFolders)
                found.push_back(item->path());
        std::sort(found.begin(), found.end());
        return found;
    }
    std::optional<fs::path> any(const std::vector<fs::path>& paths) {
        if (paths.empty())
            return std::nullopt;
        return paths[static_cast<std::size_t>(below(static_cast<int>(paths.size())))];
    }
    std::optional<fs::path> anyTranscript() { return any(entries(projects(), false)); }
    std::optional<fs::path> anyProject() { return any(entries(projects(), true)); }

    void writeTranscript(const fs::path& path) {
        writeFile(path, finishedTranscript(path.stem().string(), wallSeconds() - below(600)));
    }

    // The bytes of a regular file rewritten in place with others of the same size, the modification
    // time kept when asked: only the change time tells the versions apart.
    void rewriteInPlace(const fs::path& path, bool keepModificationTime) {
        struct stat before {};
        if (::lstat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
            return;
        std::string bytes = fixtures::readFile(path);
        for (auto [from, to] :
             {std::pair{"Fix the build", "Fix the tests"}, {"Fix the tests", "Fix the build"}})
            if (const auto at = bytes.find(from); at != std::string::npos) {
                bytes.replace(at, std::string_view(from).size(), to);
                break;
            }
        const int file = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(file, 0);
        ASSERT_EQ(::pwrite(file, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
        ::close(file);
        if (keepModificationTime) {
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }

    void writeCodexSession() {
        const double modified = wallSeconds() - below(2) * 86'400 * 0.6;
        const std::string iso = fixtures::isoTimestamp(modified);
        const fs::path path = codexSessions() / iso.substr(0, 4) / iso.substr(5, 2) / iso.substr(8, 2) /
                              ("rollout-" + iso.substr(0, 10) + "T00-00-00-" + freshUuid() + ".jsonl");
        writeFile(path, fixtures::generateCodexHistory(2000 + below(3000), path.stem().string().substr(29),
                                                       modified - 600)
                            .bytes);
    }

    std::string anySessionID(const fs::path& root) {
        const auto file = any(entries(root, false));
        const std::string stem = file ? file->stem().string() : "";
        return stem.size() >= 36 ? stem.substr(stem.size() - 36) : sessionUuid(0);
    }

    // One change picked at random; its name for the failure messages.
    std::string change() {
        const fs::path outside = home / "outside";
        switch (below(28)) {
        case 0:
            if (auto file = anyTranscript()) {
                std::ofstream(*file, std::ios::app)
                    << claudeLine("user", file->stem().string(), wallSeconds(),
                                  {{"role", "user"}, {"content", "And the docs"}});
                return "appended to " + file->filename().string();
            }
            break;
        case 1:
        case 2:
            if (auto file = anyTranscript()) {
                rewriteInPlace(*file, below(2) == 0);
                return "rewrote in place " + file->filename().string();
            }
            break;
        case 3:
            if (auto file = anyTranscript(); file && !fs::is_symlink(*file)) {
                fixtures::setModificationTime(*file, wallSeconds() - (below(2) ? 2 * 86'400 : 30));
                return "touched " + file->filename().string();
            }
            break;
        case 4:
            if (auto file = anyTranscript()) {
                fs::rename(*file, file->parent_path() / (freshUuid() + ".jsonl"));
                return "renamed " + file->filename().string();
            }
            break;
        case 5:
            if (auto file = anyTranscript(); file && anyProject()) {
                fs::rename(*file, *anyProject() / (freshUuid() + ".jsonl"));
                return "moved " + file->filename().string();
            }
            break;
        case 6:
            if (auto file = anyTranscript()) {
                fs::remove(*file);
                return "deleted " + file->filename().string();
            }
            break;
        case 7:
        case 8:
            writeTranscript(projects() / ("-home-me-p" + std::to_string(below(4))) /
                            (freshUuid() + ".jsonl"));
            return "wrote a transcript";
        case 9: {
            const fs::path folder = projects() / name("-home-me-new-");
            writeTranscript(folder / (freshUuid() + ".jsonl"));
            writeTranscript(folder / "sub" / (freshUuid() + ".jsonl"));
            return "made a project with transcripts";
        }
        case 10:
            if (auto folder = anyProject()) {
                fs::rename(*folder, projects() / name("-home-me-was-"));
                writeTranscript(*folder / (freshUuid() + ".jsonl"));
                return "replaced the folder " + folder->filename().string();
            }
            break;
        case 11:
            if (auto folder = anyProject()) {
                fs::create_directories(outside);
                fs::rename(*folder, outside / name("moved-"));
                return "moved out the folder " + folder->filename().string();
            }
            break;
        case 12:
            if (auto folder = any(entries(outside, true)); folder && folder->parent_path() == outside) {
                fs::rename(*folder, projects() / name("-home-me-back-"));
                return "moved back the folder " + folder->filename().string();
            }
            break;
        case 13: {
            const auto file = anyTranscript();
            const auto target = anyTranscript();
            if (file && target && file != target) {
                fs::remove(*file);
                fs::create_symlink(*target, *file);
                return "made a link of " + file->filename().string();
            }
            break;
        }
        case 14:
            if (auto file = anyTranscript(); file && fs::is_symlink(*file)) {
                fs::remove(*file);
                writeTranscript(*file);
                return "made a file of the link " + file->filename().string();
            }
            break;
        case 15:
            if (fs::exists(projects())) {
                fs::rename(projects(), home / ".claude" / name("projects-"));
                writeTranscript(projects() / "-home-me-p0" / (freshUuid() + ".jsonl"));
                return "replaced the projects folder";
            }
            break;
        case 16:
        case 17:
            writeCodexSession();
            return "wrote a Codex session";
        case 18:
            if (auto file = any(entries(codexSessions(), false))) {
                std::ofstream(*file, std::ios::app) << fixtures::codexLine(
                    wallSeconds(), "event_msg", {{"type", "task_started"}, {"turn_id", "t"}});
                return "appended to " + file->filename().string();
            }
            break;
        case 19:
            writeFile(
                home / ".codex/session_index.jsonl",
                nlohmann::json({{"id", anySessionID(codexSessions())}, {"thread_name", name("Thread ")}})
                        .dump() +
                    "\n");
            return "renamed a Codex thread";
        case 20:
            if (below(3) == 0) {
                fs::remove(home / ".codex/.codex-global-state.json");
                return "removed the Codex global state";
            }
            writeFile(home / ".codex/.codex-global-state.json",
                      nlohmann::json({{"electron-thread-read-state-v1",
                                       {{"version", 1},
                                        {"unreadByIdentity",
                                         {{"me", {{"local:me", {anySessionID(codexSessions())}}}}}}}}})
                          .dump());
            return "wrote the Codex global state";
        case 21:
            if (below(2) == 0) {
                localRecord(name("build-"));
                return "wrote a local record";
            }
            if (auto file = any(entries(StatusStore::defaultDirectory(home.path()), false))) {
                fs::remove(*file);
                return "removed a local record";
            }
            break;
        case 22:
            if (auto file = anyTranscript()) {
                ClaudeHookStore(ClaudeHookStore::defaultDirectory(home.path()))
                    .ingest(nlohmann::json({{"session_id", anySessionID(projects())},
                                            {"hook_event_name", below(2) ? "Stop" : "PermissionRequest"},
                                            {"cwd", "/home/me/app"},
                                            {"transcript_path", file->string()}})
                                .dump(),
                            quorvel::testing::wallClock());
                return "wrote a hook record";
            }
            break;
        case 23:
            writeFile(ClaudeReadState::defaultURL(home.path()),
                      nlohmann::json(
                          {{"readAt", {{anySessionID(projects()), fixtures::isoTimestamp(wallSeconds())}}}})
                          .dump());
            return "wrote the Claude read state";
        case 24:
            if (auto file = anyTranscript()) {
                orcaStatus({{file->stem().string(), *file}});
                return "wrote Orca's status";
            }
            break;
        case 25:
            if (fs::exists(codexSessions())) {
                fs::rename(codexSessions(), home / ".codex" / name("sessions-"));
                writeCodexSession();
                return "replaced the Codex sessions folder";
            }
            break;
        case 26: {
            const fs::path folder = home / (next++ % 2 ? ".claude" : ".codex");
            if (fs::exists(folder)) {
                fs::rename(folder, home / name("assistant-"));
                writeTranscript(projects() / "-home-me-p1" / (freshUuid() + ".jsonl"));
                writeCodexSession();
                return "replaced the folder " + folder.filename().string();
            }
            break;
        }
        case 27:
            writeFile(CodexReadMarks::defaultURL(home.path()),
                      nlohmann::json({{"readAt", {{anySessionID(codexSessions()), "2025-12-06T05:40:00Z"}}}})
                          .dump());
            return "wrote the Codex read marks";
        }
        return "nothing";
    }

    void tick(const std::string& step) {
        const Date now = quorvel::testing::wallClock();
        expectSame(worker.load(true, true, environment, now),
                   loadRefreshSnapshot(true, true, environment, now), step);
    }

    std::mt19937 random{20261209};
    int next = 1000;
    RefreshWorker worker{quorvel::testing::wallClock, std::make_unique<InotifyFolderWatch>()};
};

} // namespace

TEST_F(RefreshWatchEquivalenceTest, EveryTickEqualsAnUncachedRefreshWhateverChangesAndHoweverFast) {
    for (int i = 0; i < 6; ++i) {
        writeTranscript(projects() / ("-home-me-p" + std::to_string(i % 3)) / (sessionUuid(i) + ".jsonl"));
        writeCodexSession();
    }
    localRecord("build-1");
    tick("first tick");
    for (int step = 0; step < 150 && !HasFailure(); ++step) {
        std::string changes;
        for (int count = below(4); count > 0; --count)
            changes += change() + "; ";
        if (below(30) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // what was read is trusted now
            changes += "a pause";
        }
        tick("step " + std::to_string(step) + ": " + changes);
    }
    const FileStatusCache::Statistics statistics = worker.cache().files->statistics();
    EXPECT_GT(statistics.answered, statistics.asked);
    EXPECT_GT(statistics.watches, 5u);
}

// What a tick asks of the file system when nothing changed does not grow with the history.
TEST_F(RefreshWatchEquivalenceTest, ATickAfterNothingChangedAsksTheSameHoweverLongTheHistory) {
    auto askedByASteadyTick = [&] {
        tick("absorbing the changes");
        const auto before = worker.cache().files->statistics().asked;
        tick("nothing changed");
        return worker.cache().files->statistics().asked - before;
    };
    localRecord("build-1");
    for (int i = 0; i < 4; ++i) {
        writeTranscript(projects() / "-home-me-p0" / (freshUuid() + ".jsonl"));
        writeCodexSession();
    }
    const auto small = askedByASteadyTick();
    for (int i = 0; i < 60; ++i) {
        const fs::path old = projects() / ("-home-me-p" + std::to_string(i % 5)) / (freshUuid() + ".jsonl");
        writeTranscript(old);
        fixtures::setModificationTime(old, wallSeconds() - 5 * 86'400);
        writeCodexSession();
    }
    EXPECT_EQ(askedByASteadyTick(), small);
    EXPECT_LE(small, 2u); // what lies in folders that do not exist here (Orca's, the desktop logs)
}
