#include "Model/StatusError.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/Json.h"
#include "Support/Uuid.h"
#include "TestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quorvel {
namespace {

using nlohmann::json;
using testing::TemporaryDirectory;

const std::string tabID = "AAAAAAAA-1111-4111-8111-111111111111";
const std::string leafID = "bbbbbbbb-2222-4222-8222-222222222222";
const std::string paneKey = tabID + ":" + leafID;
const std::string sessionUpper = "C0FFEE00-3333-4333-8333-333333333333";
const std::string sessionLower = "c0ffee00-3333-4333-8333-333333333333";
// Whole seconds since 1970, so that the age arithmetic below is exact.
const double nowUnixSeconds = 1'780'000'000;
const Date now = Date::fromUnix(nowUnixSeconds);

json entry(double receivedAtMilliseconds = (nowUnixSeconds - 30) * 1000) {
    return {{"paneKey", paneKey},
            {"payload", {{"agentType", "codex"}, {"state", "idle"}}},
            {"providerSession",
             {{"key", "session_id"}, {"id", sessionUpper}, {"transcriptPath", "/tmp/t.jsonl"}}},
            {"tabId", tabID},
            {"worktreeId", "wt-1"},
            {"receivedAt", receivedAtMilliseconds}};
}

std::string statusFile(const json& entries, json version = 2) {
    return json{{"version", version}, {"entries", entries}}.dump();
}

OrcaSessionIndex decodeOne(const json& value, const std::string& key = paneKey) {
    return OrcaSessionIndex::decode(statusFile(json{{key, value}}), now);
}

TEST(OrcaSessionIndex, AcceptedEntryBecomesAReference) {
    const auto index = decodeOne(entry());
    ASSERT_EQ(index.sessions.size(), 1u);
    const OrcaSessionReference expected{"codex", sessionLower, tabID,         leafID,
                                        "wt-1",  now - 30,     "/tmp/t.jsonl"};
    EXPECT_EQ(index.sessions[0], expected);
}

TEST(OrcaSessionIndex, EntriesBreakingARuleAreSkipped) {
    const std::vector<std::pair<std::string, std::function<void(json&)>>> breakers = {
        {"structuredHost null", [](json& e) { e["structuredHost"] = nullptr; }},
        {"structuredHost object", [](json& e) { e["structuredHost"] = json::object(); }},
        {"connectionId text", [](json& e) { e["connectionId"] = "ssh-1"; }},
        {"connectionId false", [](json& e) { e["connectionId"] = false; }},
        {"paneKey differs", [](json& e) { e["paneKey"] = tabID + ":" + sessionLower; }},
        {"paneKey missing", [](json& e) { e.erase("paneKey"); }},
        {"agentType foreign", [](json& e) { e["payload"]["agentType"] = "gemini"; }},
        {"agentType upper case", [](json& e) { e["payload"]["agentType"] = "Codex"; }},
        {"payload not an object", [](json& e) { e["payload"] = "codex"; }},
        {"providerSession key", [](json& e) { e["providerSession"]["key"] = "thread_id"; }},
        {"session id not a UUID", [](json& e) { e["providerSession"]["id"] = "c0ffee00"; }},
        {"session id a number", [](json& e) { e["providerSession"]["id"] = 7; }},
        {"providerSession missing", [](json& e) { e.erase("providerSession"); }},
        {"tabId not a UUID", [](json& e) { e["tabId"] = "tab-1"; }},
        {"worktreeId empty", [](json& e) { e["worktreeId"] = ""; }},
        {"worktreeId too long", [](json& e) { e["worktreeId"] = std::string(8193, 'w'); }},
        {"worktreeId missing", [](json& e) { e.erase("worktreeId"); }},
        {"receivedAt text", [](json& e) { e["receivedAt"] = "1780000000000"; }},
        {"receivedAt missing", [](json& e) { e.erase("receivedAt"); }},
    };
    for (const auto& [name, breakEntry] : breakers) {
        auto value = entry();
        breakEntry(value);
        EXPECT_TRUE(decodeOne(value).sessions.empty()) << name;
    }
    EXPECT_TRUE(decodeOne(json::array({entry()})).sessions.empty()) << "entry not an object";
}

TEST(OrcaSessionIndex, PaneKeyMustBeTheExactTabAndOnePaneUuid) {
    auto lowerTab = Uuid::lowercased(tabID) + ":" + leafID;
    auto value = entry();
    value["paneKey"] = lowerTab;
    EXPECT_TRUE(decodeOne(value, lowerTab).sessions.empty()) << "tab differs in letter case";

    for (const auto& key : {paneKey + ":" + leafID, tabID + ":", tabID, tabID + ":leaf"}) {
        value["paneKey"] = key;
        EXPECT_TRUE(decodeOne(value, key).sessions.empty()) << key;
    }
}

TEST(OrcaSessionIndex, ConnectionIdNullAndLongWorktreeInCharactersAreAccepted) {
    auto value = entry();
    value["connectionId"] = nullptr;
    // 8,192 characters of two bytes each: the limit counts characters, not bytes.
    std::string worktree;
    for (int i = 0; i < 8192; ++i)
        worktree += "\u00E9";
    value["worktreeId"] = worktree;
    const auto index = decodeOne(value);
    ASSERT_EQ(index.sessions.size(), 1u);
    EXPECT_EQ(index.sessions[0].worktreeID, worktree);
}

TEST(OrcaSessionIndex, ReceivedAtMayBeSevenDaysOldOrAMinuteAhead) {
    const double nowMs = nowUnixSeconds * 1000;
    EXPECT_EQ(decodeOne(entry(nowMs - 604'800'000)).sessions.size(), 1u);
    EXPECT_TRUE(decodeOne(entry(nowMs - 604'800'001)).sessions.empty());
    EXPECT_EQ(decodeOne(entry(nowMs + 60'000)).sessions.size(), 1u);
    EXPECT_TRUE(decodeOne(entry(nowMs + 60'001)).sessions.empty());
}

TEST(OrcaSessionIndex, BadTranscriptPathIsDroppedButTheReferenceKept) {
    for (const json& path :
         {json("relative/t.jsonl"), json(""), json(42), json(nullptr), json("/" + std::string(32768, 'p'))}) {
        auto value = entry();
        value["providerSession"]["transcriptPath"] = path;
        const auto index = decodeOne(value);
        ASSERT_EQ(index.sessions.size(), 1u) << path.dump().substr(0, 40);
        EXPECT_EQ(index.sessions[0].transcriptPath, std::nullopt) << path.dump().substr(0, 40);
    }
    auto value = entry();
    const std::string longest = "/" + std::string(32767, 'p');
    value["providerSession"]["transcriptPath"] = longest;
    EXPECT_EQ(decodeOne(value).sessions.at(0).transcriptPath, longest);
}

TEST(OrcaSessionIndex, MalformedFilesFailTheWholeLoad) {
    const auto expectInvalid = [](const std::string& bytes, const char* name) {
        EXPECT_THROW(OrcaSessionIndex::decode(bytes, now), StatusError) << name;
    };
    const json entries{{paneKey, entry()}};
    expectInvalid(statusFile(entries, 1), "version 1");
    expectInvalid(statusFile(entries, "2"), "version as text");
    expectInvalid(json{{"version", 2}}.dump(), "no entries");
    expectInvalid(json{{"version", 2}, {"entries", json::array()}}.dump(), "entries a list");
    expectInvalid("[]", "top level a list");
    EXPECT_THROW(OrcaSessionIndex::decode("{\"version\": 2, \"entries\": {}", now), JsonParseError);
    EXPECT_THROW(OrcaSessionIndex::decode("{\"version\": 2, \"entries\": {}} x", now), JsonParseError);
    for (const auto* fragment : {"2", "\"entries\"", "null"})
        EXPECT_THROW(OrcaSessionIndex::decode(fragment, now), JsonParseError) << fragment;
    EXPECT_EQ(OrcaSessionIndex::decode(statusFile(entries, 2.0), now).sessions.size(), 1u);
}

TEST(OrcaSessionIndex, EntryCountAndByteSizeAreBounded) {
    json entries = json::object();
    for (int i = 0; i < 10'000; ++i) {
        char leaf[37];
        std::snprintf(leaf, sizeof leaf, "bbbbbbbb-2222-4222-8222-%012d", i);
        auto value = entry();
        value["paneKey"] = tabID + ":" + leaf;
        entries[tabID + ":" + leaf] = value;
    }
    EXPECT_EQ(OrcaSessionIndex::decode(statusFile(entries), now).sessions.size(), 10'000u);
    entries["extra"] = 1;
    EXPECT_THROW(OrcaSessionIndex::decode(statusFile(entries), now), StatusError);

    std::string padded = statusFile(json{{paneKey, entry()}});
    padded.append(OrcaSessionIndex::statusFileLimit - padded.size(), ' ');
    EXPECT_EQ(OrcaSessionIndex::decode(padded, now).sessions.size(), 1u);
    padded.push_back(' ');
    EXPECT_THROW(OrcaSessionIndex::decode(padded, now), StatusError);
}

TEST(OrcaSessionIndex, MatchesLowerCasesTheTaskIDAndKeepsIndexOrder) {
    auto claude = entry();
    claude["payload"]["agentType"] = "claude";
    auto secondPane = entry(nowUnixSeconds * 1000);
    const std::string secondKey = tabID + ":" + sessionLower;
    secondPane["paneKey"] = secondKey;
    const auto index = OrcaSessionIndex::decode(
        statusFile(
            json{{paneKey, entry()}, {secondKey, secondPane}, {tabID + ":" + leafID.substr(0, 35) + "9", 0}}),
        now);
    ASSERT_EQ(index.sessions.size(), 2u);

    const auto found = index.matches("CODEX-" + sessionUpper);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].leafID, leafID);
    EXPECT_EQ(found[1].leafID, sessionLower);
    EXPECT_TRUE(index.matches("claude-" + sessionLower).empty());
    EXPECT_TRUE(index.matches(sessionLower).empty());
}

class OrcaSessionIndexLoad : public ::testing::Test {
protected:
    TemporaryDirectory root;
    std::filesystem::path file() const { return OrcaSessionIndex::statusFile(root.path()); }
};

TEST_F(OrcaSessionIndexLoad, MissingFileIsAnEmptyIndex) {
    EXPECT_EQ(OrcaSessionIndex::load(root.path(), now), OrcaSessionIndex{});
    EXPECT_EQ(OrcaSessionIndex::load(root / "absent", now), OrcaSessionIndex{});
}

TEST_F(OrcaSessionIndexLoad, ReadsTheAgentStatusFile) {
    testing::writeFile(file(), statusFile(json{{paneKey, entry()}}));
    EXPECT_EQ(file(), root / "agent-hooks/last-status.json");
    EXPECT_EQ(OrcaSessionIndex::load(root.path(), now).sessions.size(), 1u);
}

TEST_F(OrcaSessionIndexLoad, LinkedFolderOrOversizedFilesAreRefused) {
    testing::writeFile(root / "real.json", statusFile(json{{paneKey, entry()}}));
    std::filesystem::create_directories(file().parent_path());
    std::filesystem::create_symlink(root / "real.json", file());
    EXPECT_THROW(OrcaSessionIndex::load(root.path(), now), StatusError);

    std::filesystem::remove(file());
    std::filesystem::create_symlink(root / "nowhere.json", file());
    EXPECT_THROW(OrcaSessionIndex::load(root.path(), now), StatusError) << "dangling link";

    std::filesystem::remove(file());
    std::filesystem::create_directory(file());
    EXPECT_THROW(OrcaSessionIndex::load(root.path(), now), StatusError) << "folder";

    std::filesystem::remove(file());
    testing::writeFile(file(), "{}");
    std::filesystem::resize_file(file(), OrcaSessionIndex::statusFileLimit + 1);
    EXPECT_THROW(OrcaSessionIndex::load(root.path(), now), StatusError) << "oversized";
}

TEST(OrcaSessionIndexRoot, LiesInTheHomeFolder) {
    TemporaryDirectory home;
    testing::ScopedEnvironmentVariable variable("HOME", home.path().string());
    EXPECT_EQ(OrcaSessionIndex::root(), home / "Library/Application Support/Orca");
}

} // namespace
} // namespace quorvel
