#include "Claude/ClaudeHookStore.h"
#include "Model/StatusError.h"
#include "Support/Json.h"
#include "Support/UnreadableFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace quorvel;
using quorvel::testing::permissions;
using quorvel::testing::readFile;
using quorvel::testing::TemporaryDirectory;
using quorvel::testing::writeFile;

namespace {

constexpr std::string_view session = "0A1B2C3D-4E5F-4a6b-8c7d-9e0f1a2b3c4d";

Date at(std::string_view time) {
    return *Iso8601::parseWholeSeconds("2026-03-01T" + std::string(time) + "Z");
}

nlohmann::json event(std::string_view name) {
    return {{"session_id", session},
            {"hook_event_name", name},
            {"cwd", "/home/u/project"},
            {"transcript_path", "/home/u/.claude/projects/p/x.jsonl"},
            {"prompt", "never stored"}};
}

struct HookStoreTest : ::testing::Test {
    TemporaryDirectory temp;
    ClaudeHookStore store{temp / "events"};
    std::filesystem::path file() const { return store.directory / (std::string(session) + ".json"); }

    void ingest(const nlohmann::json& payload, Date now = at("10:00:00")) {
        store.ingest(payload.dump(), now);
    }
    ClaudeHookRecord record() const {
        JsonParser parser;
        return ClaudeHookRecord::fromJson(JsonValue::requireObject(parser.parse(readFile(file()))));
    }
    void expectInvalid(std::string_view payload) {
        try {
            store.ingest(payload, at("10:00:00"));
            ADD_FAILURE() << "accepted: " << payload.substr(0, 200);
        } catch (const StatusError& error) {
            EXPECT_EQ(error, StatusError::invalidRecord());
        }
        EXPECT_FALSE(std::filesystem::exists(store.directory));
    }
};

} // namespace

TEST_F(HookStoreTest, WritesAPrivateRecordWithWholeSecondUtcDates) {
    ingest(event("PermissionRequest"), at("09:30:00") + 0.75);
    EXPECT_EQ(readFile(file()),
              R"({"confirmedAttentionPending":true,"cwd":"/home/u/project","sessionID":")" +
                  std::string(session) +
                  R"(","state":"waiting","transcriptPath":"/home/u/.claude/projects/p/x.jsonl",)"
                  R"("updatedAt":"2026-03-01T09:30:00Z"})");
    EXPECT_EQ(permissions(file()), 0600u);
    EXPECT_EQ(permissions(store.directory), 0700u);
    const ClaudeHookRecord expected{std::string(session),
                                    LightState::waiting,
                                    at("09:30:00"),
                                    "/home/u/project",
                                    "/home/u/.claude/projects/p/x.jsonl",
                                    true};
    EXPECT_EQ(store.loadAll(at("10:00:00")), std::vector<ClaudeHookRecord>{expected});
}

TEST_F(HookStoreTest, EventTableMapsEachRowExactly) {
    struct Row {
        nlohmann::json event;
        std::optional<LightState> state;
        bool attention = false;
    };
    auto with = [](std::string_view name, std::string_view key, nlohmann::json value) {
        nlohmann::json e = event(name);
        e[std::string(key)] = std::move(value);
        return e;
    };
    auto task = [](std::string_view type, std::string_view status) {
        return nlohmann::json{{"id", "ae13f0b3370255b85"}, {"type", type}, {"status", status}};
    };
    auto agent = [&](std::string_view status) { return task("subagent", status); };
    auto shell = [&](std::string_view status) { return task("local_bash", status); };
    using nlohmann::json;
    const std::vector<Row> rows = {
        {event("UserPromptSubmit"), LightState::working},
        {event("PostToolUse"), LightState::working},
        {event("PostToolUseFailure"), LightState::working},
        {event("ElicitationResult"), LightState::working},
        {event("PermissionRequest"), LightState::waiting, true},
        {event("Elicitation"), LightState::waiting, true},
        {with("PreToolUse", "tool_name", "AskUserQuestion"), LightState::waiting, true},
        {with("PreToolUse", "tool_name", "Bash"), std::nullopt},
        {with("PreToolUse", "tool_name", 7), std::nullopt},
        {event("PreToolUse"), std::nullopt},
        {with("Notification", "notification_type", "permission_prompt"), LightState::waiting, true},
        {with("Notification", "notification_type", "elicitation_dialog"), LightState::waiting, true},
        {with("Notification", "notification_type", "agent_needs_input"), LightState::waiting, true},
        {with("Notification", "notification_type", "idle_prompt"), LightState::done},
        {with("Notification", "notification_type", "Idle_prompt"), std::nullopt},
        {event("Notification"), std::nullopt},
        {event("Stop"), LightState::done},
        {with("Stop", "background_tasks", json::array()), LightState::done},
        {with("Stop", "background_tasks", json::array({agent("running")})), LightState::working},
        {with("Stop", "background_tasks", json::array({shell("running"), agent("running")})),
         LightState::working},
        {with("Stop", "background_tasks", json::array({agent("completed"), shell("running")})),
         LightState::done},
        {with("Stop", "background_tasks", json::array({"subagent", 7})), LightState::done},
        {with("Stop", "background_tasks", agent("running")), LightState::done},
        {event("StopFailure"), LightState::failed},
        {event("SessionEnd"), LightState::done},
        {event("SubagentStop"), std::nullopt},
        {event("stop"), std::nullopt},
    };
    for (const Row& row : rows) {
        std::filesystem::remove_all(store.directory);
        ingest(row.event);
        SCOPED_TRACE(row.event.dump());
        if (!row.state) {
            EXPECT_FALSE(std::filesystem::exists(store.directory));
            continue;
        }
        EXPECT_EQ(record().state, *row.state);
        EXPECT_EQ(record().confirmedAttentionPending, row.attention);
    }
}

TEST_F(HookStoreTest, RepeatedFinishOrFailureKeepsItsFirstTime) {
    ingest(event("Stop"), at("10:00:00"));
    ingest(event("Stop"), at("10:05:00"));
    EXPECT_EQ(record().updatedAt, at("10:00:00"));
    ingest(event("SessionEnd"), at("10:07:00"));
    EXPECT_EQ(record().state, LightState::done);
    EXPECT_EQ(record().updatedAt, at("10:00:00"));

    ingest(event("StopFailure"), at("11:00:00"));
    ingest(event("SessionEnd"), at("11:05:00"));
    EXPECT_EQ(record().state, LightState::failed);
    EXPECT_EQ(record().updatedAt, at("11:00:00"));
}

TEST_F(HookStoreTest, WorkingAndWaitingEventsRefreshTheTime) {
    ingest(event("PermissionRequest"), at("10:00:00"));
    ingest(event("PermissionRequest"), at("10:05:00"));
    EXPECT_EQ(record().updatedAt, at("10:05:00"));
    ingest(event("UserPromptSubmit"), at("10:06:00"));
    ingest(event("SessionEnd"), at("10:09:00"));
    EXPECT_EQ(record().state, LightState::done);
    EXPECT_EQ(record().updatedAt, at("10:09:00"));
    EXPECT_FALSE(record().confirmedAttentionPending);
}

TEST_F(HookStoreTest, UnmappedEventLeavesTheRecordUntouched) {
    ingest(event("PermissionRequest"), at("10:00:00"));
    const std::string before = readFile(file());
    nlohmann::json other = event("PreToolUse");
    other["tool_name"] = "Read";
    ingest(other, at("10:05:00"));
    EXPECT_EQ(readFile(file()), before);
}

TEST_F(HookStoreTest, BadPreviousRecordCountsAsNoneIsKeptAsideAndIsReplaced) {
    const std::string oversized =
        R"({"sessionID":"x","state":"failed","updatedAt":"2026-03-01T09:00:00Z","cwd":"/",)"
        R"("transcriptPath":"/","confirmedAttentionPending":false})" +
        std::string(20000, ' ');
    writeFile(file(), oversized);
    EXPECT_THROW(store.loadAll(at("10:00:00")), StatusError);
    ::testing::internal::CaptureStderr();
    ingest(event("SessionEnd"), at("10:00:00"));
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(record().state, LightState::done); // the oversized failed record was not seen
    EXPECT_EQ(readFile(UnreadableFile::keptPath(file(), at("10:00:00"))), oversized);
    EXPECT_EQ(store.loadAll(at("10:00:00")).size(), 1u) << "the kept copy is no record";
}

TEST_F(HookStoreTest, LinkedPreviousRecordIsIgnoredAndReplacedWithoutWritingThroughIt) {
    const std::string failedRecord =
        R"({"sessionID":"x","state":"failed","updatedAt":"2026-03-01T09:00:00Z",)"
        R"("cwd":"/","transcriptPath":"/","confirmedAttentionPending":false})";
    writeFile(temp / "elsewhere.json", failedRecord);
    std::filesystem::create_directories(store.directory);
    std::filesystem::create_symlink(temp / "elsewhere.json", file());
    ingest(event("SessionEnd"), at("10:00:00"));
    EXPECT_FALSE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(record().state, LightState::done);
    EXPECT_EQ(readFile(temp / "elsewhere.json"), failedRecord);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(store.directory), {}), 1) << "no link kept";
}

TEST_F(HookStoreTest, PayloadSizeCapIsCheckedBeforeParsing) {
    nlohmann::json padded = event("Stop");
    padded["padding"] = "";
    const std::size_t base = padded.dump().size();
    padded["padding"] = std::string(ClaudeHookStore::maxPayloadBytes - base, 'x');
    ASSERT_EQ(padded.dump().size(), ClaudeHookStore::maxPayloadBytes);
    ingest(padded);
    EXPECT_EQ(record().state, LightState::done);

    std::filesystem::remove_all(store.directory);
    expectInvalid(padded.dump() + " ");
    expectInvalid(std::string(ClaudeHookStore::maxPayloadBytes + 1, '{'));
}

TEST_F(HookStoreTest, MalformedPayloadsAreRejectedAndWriteNothing) {
    EXPECT_THROW(store.ingest("{\"session_id\":", at("10:00:00")), JsonParseError);
    EXPECT_THROW(store.ingest("", at("10:00:00")), JsonParseError);
    EXPECT_THROW(store.ingest("{} {}", at("10:00:00")), JsonParseError);
    EXPECT_FALSE(std::filesystem::exists(store.directory));
    expectInvalid("[]");
    expectInvalid(R"([{"hook_event_name":"Stop"}])");
}

TEST_F(HookStoreTest, RequiredFieldsAreCheckedForEveryEventEvenUnmappedOnes) {
    for (std::string_view name : {"Stop", "SubagentStop"}) {
        for (std::string_view key : {"session_id", "hook_event_name", "cwd", "transcript_path"}) {
            nlohmann::json missing = event(name);
            missing.erase(std::string(key));
            expectInvalid(missing.dump());
            nlohmann::json mistyped = event(name);
            mistyped[std::string(key)] = nlohmann::json::array();
            expectInvalid(mistyped.dump());
        }
    }
}

TEST_F(HookStoreTest, SessionIDMustBeACanonicalUuid) {
    for (std::string_view bad :
         {"../../tasks/x", "{0A1B2C3D-4E5F-4a6b-8c7d-9e0f1a2b3c4d}", "0A1B2C3D4E5F4a6b8c7d9e0f1a2b3c4d",
          "0A1B2C3D-4E5F-4a6b-8c7d-9e0f1a2b3c4", ""}) {
        nlohmann::json e = event("Stop");
        e["session_id"] = bad;
        expectInvalid(e.dump());
    }
}

TEST_F(HookStoreTest, PathsMustBeAbsoluteAndAtMost4096Characters) {
    for (std::string_view key : {"cwd", "transcript_path"}) {
        nlohmann::json e = event("Stop");
        e[std::string(key)] = "relative/path";
        expectInvalid(e.dump());
        e[std::string(key)] = "/" + std::string(4096, 'a');
        expectInvalid(e.dump());
        e[std::string(key)] = "";
        expectInvalid(e.dump());
    }
    // Characters are grapheme clusters: "e" + U+0301 is one character of three bytes.
    std::string accented = "/";
    for (int i = 0; i < 4095; ++i)
        accented += "e\u0301";
    nlohmann::json e = event("Stop");
    e["cwd"] = accented;
    ingest(e);
    EXPECT_EQ(record().cwd, accented);
    e["cwd"] = "/" + std::string(4095, 'a');
    e["transcript_path"] = e["cwd"];
    ingest(e);
    EXPECT_EQ(record().transcriptPath, "/" + std::string(4095, 'a'));
}

// Escaped control characters take six bytes and many characters three: two paths of 4,096 characters
// can make a record larger than loadAll accepts, which would hide every session's hook state.
TEST_F(HookStoreTest, RecordsThatLoadAllWouldRefuseAreNeverWritten) {
    ingest(event("Stop"), at("09:00:00"));
    const std::string previous = readFile(file());

    nlohmann::json controls = event("Stop");
    controls["transcript_path"] = "/" + std::string(2770, '\x01');
    nlohmann::json wide = event("Stop");
    wide["cwd"] = "/" + [] {
        std::string euros;
        for (int i = 0; i < 4095; ++i)
            euros += "\u20ac";
        return euros;
    }();
    wide["transcript_path"] = wide["cwd"];
    for (const nlohmann::json& large : {controls, wide}) {
        try {
            store.ingest(large.dump(), at("10:00:00"));
            ADD_FAILURE() << "accepted a record of more than 16,384 bytes";
        } catch (const StatusError& error) {
            EXPECT_EQ(error, StatusError::invalidRecord());
        }
        EXPECT_EQ(readFile(file()), previous);
        EXPECT_EQ(store.loadAll(at("10:00:00")).size(), 1u);
    }

    // A record of exactly the cap is written; one byte more is not.
    nlohmann::json edge = event("UserPromptSubmit");
    edge["cwd"] = "/" + std::string(2500, '\x01');
    ingest(edge);
    const std::size_t padding = ClaudeHookStore::maxRecordBytes - readFile(file()).size();
    edge["transcript_path"] = edge["transcript_path"].get<std::string>() + std::string(padding, 'p');
    ingest(edge);
    EXPECT_EQ(readFile(file()).size(), ClaudeHookStore::maxRecordBytes);
    EXPECT_EQ(store.loadAll(at("10:00:00")).size(), 1u);
    edge["transcript_path"] = edge["transcript_path"].get<std::string>() + "p";
    EXPECT_THROW(store.ingest(edge.dump(), at("10:00:00")), StatusError);
    EXPECT_EQ(readFile(file()).size(), ClaudeHookStore::maxRecordBytes);
}

// A previous record dated before year 1 in UTC is no record: keeping its time would write it back as
// text that no reader accepts.
TEST_F(HookStoreTest, PreviousRecordOutsideTheWritableYearsIsReplaced) {
    nlohmann::json old = {
        {"sessionID", session}, {"state", "done"},        {"updatedAt", "0000-01-01T00:00:00+00:01"},
        {"cwd", "/"},           {"transcriptPath", "/t"}, {"confirmedAttentionPending", false}};
    writeFile(file(), old.dump());
    EXPECT_THROW(store.loadAll(at("10:00:00")), JsonDecodeError);
    ingest(event("Stop"), at("10:00:00"));
    EXPECT_EQ(record().updatedAt, at("10:00:00"));
    EXPECT_EQ(store.loadAll(at("10:00:00")).size(), 1u);
}

TEST_F(HookStoreTest, RecordDecodingIsStrict) {
    const nlohmann::json good = {
        {"sessionID", session}, {"state", "unread"},      {"updatedAt", "2026-03-01T09:30:00Z"},
        {"cwd", "/"},           {"transcriptPath", "/t"}, {"confirmedAttentionPending", false}};
    JsonParser parser;
    auto decode = [&](const nlohmann::json& value) {
        return ClaudeHookRecord::fromJson(JsonValue::requireObject(parser.parse(value.dump())));
    };
    EXPECT_EQ(decode(good).state, LightState::unread);
    for (const char* key :
         {"sessionID", "state", "updatedAt", "cwd", "transcriptPath", "confirmedAttentionPending"}) {
        nlohmann::json missing = good;
        missing.erase(key);
        EXPECT_THROW(decode(missing), JsonDecodeError) << key;
    }
    for (const char* date : {"2026-03-01T09:30:00.250Z", "2026-03-01 09:30:00", "1772357400"}) {
        nlohmann::json bad = good;
        bad["updatedAt"] = date;
        EXPECT_THROW(decode(bad), JsonDecodeError) << date;
    }
    nlohmann::json badState = good;
    badState["state"] = "Done";
    EXPECT_THROW(decode(badState), JsonDecodeError);
}

TEST_F(HookStoreTest, LoadAllKeepsTheLastDayAndFutureRecords) {
    EXPECT_TRUE(store.loadAll(at("10:00:00")).empty());
    ingest(event("Stop"), at("10:00:00"));
    EXPECT_EQ(store.loadAll(at("10:00:00") + 86399).size(), 1u);
    EXPECT_TRUE(store.loadAll(at("10:00:00") + 86400).empty());
    EXPECT_EQ(store.loadAll(at("09:59:00")).size(), 1u);
}

TEST_F(HookStoreTest, LoadAllReadsOnlyJsonEntriesAndFailsOnTheFirstBadOne) {
    ingest(event("Stop"));
    writeFile(store.directory / "notes.txt", "x");
    writeFile(store.directory / "OTHER.JSON", "x");
    EXPECT_EQ(store.loadAll(at("10:00:00")).size(), 1u);

    std::filesystem::create_directory(store.directory / "folder.json");
    EXPECT_THROW(store.loadAll(at("10:00:00")), StatusError);
    std::filesystem::remove(store.directory / "folder.json");
    std::filesystem::create_symlink(file(), store.directory / "link.json");
    EXPECT_THROW(store.loadAll(at("10:00:00")), StatusError);
    std::filesystem::remove(store.directory / "link.json");
    writeFile(store.directory / "broken.json", "{");
    EXPECT_THROW(store.loadAll(at("10:00:00")), JsonParseError);
}

TEST(ClaudeHookStore, DefaultDirectoryLiesInTheHomeFolder) {
    TemporaryDirectory home;
    const std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(ClaudeHookStore::defaultDirectory(), home / ".local/share/quorvel/claude-events");
    ::setenv("HOME", saved.c_str(), 1);
}
