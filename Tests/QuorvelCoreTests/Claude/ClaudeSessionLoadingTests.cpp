#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeSessionReader.h"
#include "Claude/ClaudeSessionReaderCache.h"
#include "ClaudeTranscriptLines.h"
#include "TestSupport.h"

#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using namespace testing::claude;
using nlohmann::json;
using testing::fixturesDirectory;
using testing::readFile;
using testing::setModificationTime;
using testing::TemporaryDirectory;
using testing::writeFile;

constexpr std::string_view sessionC = "c0c0c0c0-1111-4222-8333-444455556666";

// "user" then "assistant" with end_turn, last line at the given time.
std::string finishedTurn(std::string_view sessionID, std::string_view prompt, std::string_view finishedAt) {
    auto answer = json::parse(assistant("end_turn", finishedAt));
    answer["sessionId"] = sessionID;
    return user(prompt, "2026-03-01T11:00:00Z", sessionID) + line(answer);
}

class ClaudeSessionLoading : public ::testing::Test {
protected:
    const Date now = at("2026-03-01T12:00:00Z");

    fs::path projects() const { return temp_ / "claude/projects"; }

    fs::path writeTranscript(const fs::path& relative, const std::string& bytes, double ageSeconds = 60) {
        fs::path path = projects() / relative;
        writeFile(path, bytes);
        setModificationTime(path, now.unixSeconds() - ageSeconds);
        return path;
    }

    fs::path writeSession(std::string_view sessionID, std::string_view prompt, double ageSeconds = 60) {
        return writeTranscript(fs::path("-home-me-app") / (std::string(sessionID) + ".jsonl"),
                               finishedTurn(sessionID, prompt, "2026-03-01T11:58:00.500Z"), ageSeconds);
    }

    void writeHookRecord(std::string_view sessionID, LightState state, Date updatedAt, bool attention,
                         std::string cwd = "/home/me/api") {
        ClaudeHookRecord record{std::string(sessionID), state,          updatedAt,
                                std::move(cwd),         "/tmp/t.jsonl", attention};
        writeFile(temp_ / "events" / (std::string(sessionID) + ".json"), record.toJson().dump());
    }

    void writeDesktopSession(std::string_view cliSessionID, std::string_view desktopSessionID,
                             const json& lastFocusedAt) {
        json value = {{"cliSessionId", cliSessionID}, {"sessionId", desktopSessionID}};
        if (!lastFocusedAt.is_null())
            value["lastFocusedAt"] = lastFocusedAt;
        writeFile(temp_ / "desktop" / (std::string(cliSessionID) + ".json"), value.dump());
    }

    std::vector<TaskStatus> load(std::int64_t limit = INT64_MAX) const {
        return ClaudeSessionReader::load(temp_ / "claude", ClaudeHookStore(temp_ / "events"), now,
                                         temp_ / "desktop", limit);
    }

    std::vector<std::string> names(std::int64_t limit = INT64_MAX) const {
        std::vector<std::string> result;
        for (const TaskStatus& task : load(limit))
            result.push_back(task.name);
        return result;
    }

    TemporaryDirectory temp_;
};

TEST_F(ClaudeSessionLoading, NothingWithoutAProjectsFolder) {
    writeHookRecord(sessionA, LightState::waiting, now - 10, true);
    EXPECT_TRUE(load().empty());
}

TEST_F(ClaudeSessionLoading, BuildsTasksNewestTranscriptFirst) {
    writeSession(sessionA, "Older", 600);
    writeSession(sessionB, "Newer", 30);
    auto tasks = load();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].id, "claude-" + std::string(sessionB));
    EXPECT_EQ(tasks[0].name, "Newer");
    EXPECT_EQ(tasks[0].state, LightState::done);
    EXPECT_EQ(tasks[0].updatedAt, at("2026-03-01T11:58:00.500Z"));
    EXPECT_EQ(tasks[0].projectName, "app");
    EXPECT_EQ(tasks[0].confirmedAttentionPending, false);
    EXPECT_EQ(tasks[0].providerSessionID, std::nullopt);
    EXPECT_EQ(tasks[1].name, "Older");
}

TEST_F(ClaudeSessionLoading, KeepsTranscriptsChangedWithinTheLastDay) {
    writeSession("00000000-0000-4000-8000-000000000001", "59 s ahead", -59);
    writeSession("00000000-0000-4000-8000-000000000002", "61 s ahead", -61);
    writeSession("00000000-0000-4000-8000-000000000003", "a day old", 86'400);
    writeSession("00000000-0000-4000-8000-000000000004", "a second less", 86'399);
    EXPECT_EQ(names(), (std::vector<std::string>{"59 s ahead", "a second less"}));
}

TEST_F(ClaudeSessionLoading, TakesOnlyUuidNamedJsonlFiles) {
    std::string transcript = finishedTurn(sessionA, "Valid content", "2026-03-01T11:58:00Z");
    writeTranscript("p/not-a-uuid.jsonl", transcript);
    writeTranscript(fs::path("p") / (std::string(sessionA) + ".JSONL"), transcript);
    writeTranscript(fs::path("p") / (std::string(sessionA) + ".json"), transcript);
    writeTranscript(fs::path(".hidden") / (std::string(sessionA) + ".jsonl"), transcript);
    writeFile(temp_ / "elsewhere.jsonl", transcript);
    fs::create_symlink(temp_ / "elsewhere.jsonl", projects() / "p" / (std::string(sessionB) + ".jsonl"));
    EXPECT_TRUE(load().empty());
    writeTranscript(fs::path("p") / (std::string(sessionC) + ".jsonl"), transcript);
    EXPECT_EQ(names(), (std::vector<std::string>{"Valid content"}));
}

TEST_F(ClaudeSessionLoading, ReadsTranscriptsUpTo64MillionBytes) {
    // Sparse files: the first and the last lines are real, the middle is never read.
    auto writeSparse = [&](std::string_view sessionID, std::uintmax_t size) {
        std::string head = user("Started", "2026-03-01T11:00:00Z", sessionID);
        auto answer = json::parse(assistant("end_turn", "2026-03-01T11:59:00Z"));
        answer["sessionId"] = sessionID;
        std::string tail = "\n" + line(answer);
        fs::path path = projects() / "p" / (std::string(sessionID) + ".jsonl");
        writeFile(path, head);
        fs::resize_file(path, size - tail.size());
        writeFile(temp_ / "tail", tail);
        std::string all = readFile(temp_ / "tail");
        FILE* file = std::fopen(path.c_str(), "ab");
        std::fwrite(all.data(), 1, all.size(), file);
        std::fclose(file);
        setModificationTime(path, now.unixSeconds() - 60);
        ASSERT_EQ(fs::file_size(path), size);
    };
    writeSparse(sessionA, 64'000'000);
    writeSparse(sessionB, 64'000'001);
    auto tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].id, "claude-" + std::string(sessionA));
    EXPECT_EQ(tasks[0].state, LightState::done);
}

TEST_F(ClaudeSessionLoading, OneTaskPerSessionFromItsNewestTranscript) {
    writeTranscript(fs::path("a") / (std::string(sessionB) + ".jsonl"),
                    finishedTurn(sessionA, "Older file", "2026-03-01T11:58:00Z"), 300);
    writeTranscript(fs::path("b") / (std::string(sessionC) + ".jsonl"),
                    user("Newer file", "2026-03-01T11:30:00Z", sessionA), 100);
    auto tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].id, "claude-" + std::string(sessionA));
    EXPECT_EQ(tasks[0].name, "Newer file");
    EXPECT_EQ(tasks[0].state, LightState::working);
}

TEST_F(ClaudeSessionLoading, ANewerHookRecordDecidesTheState) {
    const Date finished = at("2026-03-01T11:58:00.500Z");
    struct Case {
        LightState recordState;
        double recordOffset;
        bool attention;
        LightState expectedState;
        bool expectedAttention;
        Date expectedUpdatedAt;
    } cases[] = {
        {LightState::waiting, 1.5, true, LightState::waiting, true, finished + 1.5},
        {LightState::done, 1.5, false, LightState::done, false, finished},
        {LightState::failed, 1.5, false, LightState::failed, false, finished + 1.5},
        // Records keep whole seconds: this one is stored as 11:58:00, still within the transcript's second.
        {LightState::working, 0, false, LightState::working, false, at("2026-03-01T11:58:00Z")},
        {LightState::waiting, -1.5, true, LightState::done, false, finished},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(LightStates::rawValue(c.recordState)) + " " +
                     std::to_string(c.recordOffset));
        writeSession(sessionA, "Fix it");
        writeHookRecord(sessionA, c.recordState, finished + c.recordOffset, c.attention);
        auto tasks = load();
        ASSERT_EQ(tasks.size(), 1u);
        EXPECT_EQ(tasks[0].state, c.expectedState);
        EXPECT_EQ(tasks[0].confirmedAttentionPending, c.expectedAttention);
        EXPECT_EQ(tasks[0].updatedAt, c.expectedUpdatedAt);
        EXPECT_EQ(tasks[0].projectName, "app");
    }
}

// Hook records keep whole seconds, transcripts milliseconds: a permission request written in the same
// second as the transcript's last line must still make the task wait.
TEST_F(ClaudeSessionLoading, AHookRecordOfTheTranscriptsLastSecondApplies) {
    writeTranscript(fs::path("p") / (std::string(sessionA) + ".jsonl"),
                    finishedTurn(sessionA, "Fix it", "2026-03-01T11:58:00.400Z") +
                        assistant("tool_use", "2026-03-01T11:58:05.400Z", json::array({toolUse("Bash")})));
    json event = {{"session_id", sessionA},
                  {"hook_event_name", "PermissionRequest"},
                  {"cwd", "/home/me/app"},
                  {"transcript_path", "/home/me/.claude/projects/p/t.jsonl"},
                  {"tool_name", "Bash"}};
    ClaudeHookStore(temp_ / "events").ingest(event.dump(), at("2026-03-01T11:58:05.900Z"));
    auto tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].state, LightState::waiting);
    EXPECT_EQ(tasks[0].confirmedAttentionPending, true);
    EXPECT_EQ(tasks[0].updatedAt, at("2026-03-01T11:58:05Z"));

    // A record from the second before is older than the transcript.
    ClaudeHookStore(temp_ / "events").ingest(event.dump(), at("2026-03-01T11:58:04.999Z"));
    EXPECT_EQ(load()[0].state, LightState::working);
}

TEST_F(ClaudeSessionLoading, AnAppliedHookRecordNamesAMissingProject) {
    std::string transcript =
        user("Fix it", "2026-03-01T11:58:00Z") + assistant("end_turn", "2026-03-01T11:58:01Z");
    for (std::size_t at = transcript.find("\"cwd\""); at != std::string::npos;
         at = transcript.find("\"cwd\""))
        transcript.replace(at, 5, "\"cwx\"");
    writeTranscript(fs::path("p") / (std::string(sessionA) + ".jsonl"), transcript);

    writeHookRecord(sessionA, LightState::done, at("2026-03-01T11:57:59Z"), false, "/home/me/older");
    EXPECT_EQ(load()[0].projectName, std::nullopt);
    writeHookRecord(sessionA, LightState::done, at("2026-03-01T11:58:02Z"), false, "/home/me/api");
    EXPECT_EQ(load()[0].projectName, "api");
}

// A command's `cd` moves the later lines and hook events into a subfolder; the project stays the folder
// the session started in, read from the transcript's head however long the transcript grows.
TEST_F(ClaudeSessionLoading, TheProjectIsTheFolderTheSessionStartedIn) {
    auto inFolder = [](const std::string& text, std::string_view cwd) {
        auto value = json::parse(text);
        value["cwd"] = cwd;
        return line(value);
    };
    const std::string subfolder = "/home/me/mono-repo/sub-pkg";
    std::string bytes = inFolder(user("Fix it", "2026-03-01T11:00:00Z"), "/home/me/mono-repo") +
                        inFolder(assistant("tool_use", "2026-03-01T11:00:01Z"), subfolder);
    const fs::path path = fs::path("-home-me-mono-repo") / (std::string(sessionA) + ".jsonl");
    writeTranscript(path, bytes);
    writeHookRecord(sessionA, LightState::working, at("2026-03-01T11:59:00Z"), false, subfolder);

    ClaudeSessionReader::Cache cache;
    auto loadCached = [&] {
        cache.beginPass(now);
        auto tasks = ClaudeSessionReader::load(temp_ / "claude", ClaudeHookStore(temp_ / "events"), now,
                                               temp_ / "desktop", ClaudeSessionReader::unlimited, &cache);
        cache.endPass();
        return tasks;
    };
    EXPECT_EQ(loadCached().at(0).projectName, "mono-repo");
    const std::string more = inFolder(user("Go on", "2026-03-01T11:00:02Z"), subfolder);
    while (bytes.size() <= 2 * ClaudeSessionReader::transcriptWindowBytes)
        bytes += more;
    writeTranscript(path, bytes, 30);
    const auto tasks = loadCached();
    EXPECT_EQ(tasks.at(0).projectName, "mono-repo");
    EXPECT_EQ(tasks.at(0).state, LightState::working);
}

TEST_F(ClaudeSessionLoading, OneBadHookRecordFileDropsThemAll) {
    writeSession(sessionA, "Fix it");
    writeHookRecord(sessionA, LightState::waiting, now, true);
    writeFile(temp_ / "events" / (std::string(sessionB) + ".json"), "{\"sessionID\": 1}");
    auto tasks = load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].state, LightState::done);
    EXPECT_EQ(tasks[0].confirmedAttentionPending, false);
}

TEST_F(ClaudeSessionLoading, AttachesTheDesktopSession) {
    writeSession(sessionA, "Fix it");
    writeSession(sessionB, "Other");
    writeSession(sessionC, "Third");
    writeDesktopSession(sessionA, "local_0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d", 1772366400000.0);
    writeDesktopSession(sessionB, "local_1a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d", nullptr);
    for (const TaskStatus& task : load()) {
        if (task.name == "Fix it") {
            EXPECT_EQ(task.providerSessionID, "local_0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
            EXPECT_EQ(task.providerSessionLastFocusedAt, at("2026-03-01T12:00:00Z"));
        } else if (task.name == "Other") {
            EXPECT_EQ(task.providerSessionID, "local_1a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
            EXPECT_EQ(task.providerSessionLastFocusedAt, std::nullopt);
        } else {
            EXPECT_EQ(task.providerSessionID, std::nullopt);
            EXPECT_EQ(task.providerSessionLastFocusedAt, std::nullopt);
        }
    }
}

TEST_F(ClaudeSessionLoading, StopsAtTheLimit) {
    writeSession(sessionA, "Oldest", 300);
    writeSession(sessionB, "Newest", 100);
    writeTranscript(fs::path("p") / (std::string(sessionC) + ".jsonl"), "no task in here\n", 10);
    EXPECT_EQ(names(1), (std::vector<std::string>{"Newest"}));
    EXPECT_EQ(names(2), (std::vector<std::string>{"Newest", "Oldest"}));
    EXPECT_TRUE(load(0).empty());
    EXPECT_TRUE(load(-1).empty());
}

TEST_F(ClaudeSessionLoading, FailsWhenAKeptTranscriptCannotBeRead) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not restrict the superuser";
    writeSession(sessionA, "Readable");
    fs::path closed = writeSession(sessionB, "Closed");
    ::chmod(closed.c_str(), 0);
    EXPECT_THROW(load(), std::system_error);
}

// The folder can be listed, but the path of the transcript inside is longer than the system allows, so
// its properties cannot be read, whoever runs the test.
TEST_F(ClaudeSessionLoading, FailsWhenATranscriptsPropertiesCannotBeRead) {
    writeSession(sessionA, "Readable");
    const std::size_t folderLength = PATH_MAX - 10;
    std::vector<std::string> components;
    std::vector<int> folders{::open(projects().c_str(), O_RDONLY | O_DIRECTORY)};
    for (std::size_t length = projects().string().size(); length < folderLength;) {
        components.push_back(std::string(std::min<std::size_t>(200, folderLength - length - 1), 'd'));
        length += components.back().size() + 1;
        ASSERT_EQ(::mkdirat(folders.back(), components.back().c_str(), 0700), 0);
        folders.push_back(::openat(folders.back(), components.back().c_str(), O_RDONLY | O_DIRECTORY));
    }
    const std::string name = std::string(sessionB) + ".jsonl";
    int file = ::openat(folders.back(), name.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    ::close(file);

    EXPECT_THROW(load(), std::system_error);

    ::unlinkat(folders.back(), name.c_str(), 0);
    ::close(folders.back());
    folders.pop_back();
    while (!folders.empty()) {
        ::unlinkat(folders.back(), components[folders.size() - 1].c_str(), AT_REMOVEDIR);
        ::close(folders.back());
        folders.pop_back();
    }
}

// The real files laid out as Claude Code keeps them: one folder per project, each transcript named
// after its session, a subagent's transcript in <session>/subagents/.
TEST_F(ClaudeSessionLoading, RealTranscriptsInClaudeCodesLayout) {
    const fs::path real = fixturesDirectory() / "claude";
    struct Placed {
        const char* fixture;
        const char* relative;
        double ageSeconds;
    } placed[] = {
        {"spotter-short.jsonl", "-home-marco-projects-spotter/55604662-cf2a-4331-851a-ec234028f8ca.jsonl",
         400},
        {"spotter-tool-heavy.jsonl",
         "-home-marco-projects-spotter/d6e0bada-1959-4eec-a9d2-0bfade768d8f.jsonl", 300},
        {"spotter-with-subagent.jsonl",
         "-home-marco-projects-spotter/491e126e-1e71-469c-ade2-fcc8af567c74.jsonl", 200},
        {"spotter-large.jsonl", "-home-USER-spotter-gqc/258c7280-ae70-4798-800f-63464d01a85d.jsonl", 100},
        {"spotter-large/subagents/agent-a881341.jsonl",
         "-home-USER-spotter-gqc/258c7280-ae70-4798-800f-63464d01a85d/subagents/agent-a881341.jsonl", 50},
        {"agent-history-minimal.jsonl", "-tmp-workspace/06090cb1-3e64-433a-bc7e-a621c0f596d2.jsonl", 500},
    };
    for (const Placed& file : placed)
        writeTranscript(file.relative, readFile(real / file.fixture), file.ageSeconds);
    // A Stop hook for the short session, recent enough to be loaded.
    writeHookRecord("55604662-cf2a-4331-851a-ec234028f8ca", LightState::done, at("2026-03-01T11:59:00Z"),
                    false, "/home/marco/projects/spotter");
    writeDesktopSession("258c7280-ae70-4798-800f-63464d01a85d", "local_0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d",
                        0);

    auto tasks = load();
    std::vector<std::string> summary;
    for (const TaskStatus& task : tasks)
        summary.push_back(task.id + " | " + task.name + " | " +
                          std::string(LightStates::rawValue(task.state)) + " | " +
                          Iso8601::formatWholeSeconds(task.updatedAt) + " | " +
                          task.projectName.value_or("-") + " | " + task.providerSessionID.value_or("-"));
    EXPECT_EQ(
        summary,
        (std::vector<std::string>{
            "claude-258c7280-ae70-4798-800f-63464d01a85d | Implement spotter-gqc | working | "
            "2026-02-11T21:46:21Z | spotter-gqc | local_0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d",
            "claude-491e126e-1e71-469c-ade2-fcc8af567c74 | create the beads | working | "
            "2026-02-10T22:03:47Z | spotter | -",
            // Ends with the user's interruption: the turn is over.
            "claude-d6e0bada-1959-4eec-a9d2-0bfade768d8f | start phoenix in background | done | "
            "2026-02-10T22:59:46Z | spotter | -",
            "claude-55604662-cf2a-4331-851a-ec234028f8ca | mix phx.server doesnt seem to start | done | "
            "2026-02-10T21:12:02Z | spotter | -",
            "claude-06090cb1-3e64-433a-bc7e-a621c0f596d2 | [REDACTED_PROMPT] | done | "
            "2026-06-05T04:56:35Z | workspace | -",
        }));
}

} // namespace
} // namespace quorvel
