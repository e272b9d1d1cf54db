#include "Claude/ClaudeIntegration.h"
#include "ClaudeIntegrationTestSupport.h"
#include "Model/StatusError.h"
#include "Support/Json.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using nlohmann::json;
namespace Integration = ClaudeIntegration;
using ClaudeIntegrationTesting::expectInvalidRecord;

const std::string helper = "/home/ada/.local/share/quorvel/bin/quorvel-status";
const std::string command = Integration::command(helper);

json owned() {
    return {{"type", "command"}, {"command", command}, {"timeout", 5}};
}
json ownedGroup(std::string matcher) {
    return {{"matcher", matcher}, {"hooks", json::array({owned()})}};
}

std::string add(std::string_view settings) {
    return Integration::addingHooks(settings, command);
}
std::string remove(std::string_view settings) {
    return Integration::removingHooks(settings, command);
}

int ownedEntries(const json& settings) {
    int count = 0;
    const json hooks = settings.value("hooks", json::object());
    for (const auto& [event, groups] : hooks.items())
        for (const json& group : groups)
            if (group.is_object() && group.contains("hooks") && group["hooks"].is_array())
                for (const json& entry : group["hooks"])
                    count += entry == owned();
    return count;
}

TEST(ClaudeIntegrationSettings, AddingToAnEmptyObjectInstallsFourteenGroupsUnderElevenEvents) {
    const std::string output = add("{}");
    const json settings = json::parse(output);
    ASSERT_EQ(settings.size(), 1u);
    const json& hooks = settings["hooks"];
    EXPECT_EQ(hooks.size(), 11u);
    for (const char* event : {"UserPromptSubmit", "PermissionRequest", "PostToolUse", "PostToolUseFailure",
                              "Elicitation", "ElicitationResult", "Stop", "StopFailure", "SessionEnd"})
        EXPECT_EQ(hooks[event], json::array({ownedGroup("")})) << event;
    EXPECT_EQ(hooks["PreToolUse"], json::array({ownedGroup("AskUserQuestion")}));
    EXPECT_EQ(hooks["Notification"],
              json::array({ownedGroup("permission_prompt"), ownedGroup("idle_prompt"),
                           ownedGroup("elicitation_dialog"), ownedGroup("agent_needs_input")}));
    EXPECT_EQ(output, settings.dump(2) + "\n"); // pretty, sorted keys, one final line feed
}

TEST(ClaudeIntegrationSettings, CommandQuotesThePathForTheShell) {
    EXPECT_EQ(Integration::command("/opt/q/quorvel-status"), "'/opt/q/quorvel-status' claude-hook");
    EXPECT_EQ(Integration::command("/home/o'neil/quorvel-status"),
              "'/home/o'\\''neil/quorvel-status' claude-hook");
    expectInvalidRecord(
        [] { Integration::addingHooks("{}", Integration::command("/tmp/\xff/quorvel-status")); });
}

TEST(ClaudeIntegrationSettings, AddRemoveAndAddAgainKeepEverythingTheUserWrote) {
    const json original = json::parse(ClaudeIntegrationTesting::realShaped);
    const std::string added = add(ClaudeIntegrationTesting::realShaped);
    EXPECT_EQ(add(added), added);
    EXPECT_NE(added.find("\"lastShownTime\": 1754089004345"), std::string::npos);
    EXPECT_NE(added.find("\"big\": 18446744073709551615"), std::string::npos);
    EXPECT_NE(added.find("\"cleanupPeriodDays\": 30,"), std::string::npos);

    json withHooks = json::parse(added);
    EXPECT_EQ(ownedEntries(withHooks), 14);
    // The user's groups come first, the owned ones after them.
    EXPECT_EQ(withHooks["hooks"]["Stop"][0], original["hooks"]["Stop"][0]);
    EXPECT_EQ(withHooks["hooks"]["Stop"][1], ownedGroup(""));
    EXPECT_EQ(withHooks["hooks"]["PreToolUse"][0], original["hooks"]["PreToolUse"][0]);
    EXPECT_EQ(withHooks["hooks"]["Notification"].size(), 5u);
    withHooks.erase("hooks");
    json withoutHooks = original;
    withoutHooks.erase("hooks");
    EXPECT_EQ(withHooks, withoutHooks);

    const std::string removed = remove(added);
    EXPECT_EQ(json::parse(removed), original);
    EXPECT_EQ(add(removed), added);
}

TEST(ClaudeIntegrationSettings, RemovingDropsOnlyOwnedEntriesAndWhatTheyLeaveEmpty) {
    const json user = {{"type", "command"}, {"command", "echo done"}};
    const json other = {{"type", "command"}, {"command", command + " --verbose"}};
    const json noCommand = {{"type", "prompt"}, {"prompt", "check"}};
    const json settings = {{"hooks",
                            {{"Stop", {{{"matcher", ""}, {"hooks", {owned(), user}}}}},
                             {"StopFailure", {ownedGroup("")}},
                             {"SessionEnd", {{{"hooks", {other, noCommand, owned()}}}}},
                             {"PreCompact", json::array()},
                             {"SubagentStop", {{{"matcher", "x"}, {"hooks", json::array()}}}}}}};
    const json expected = {{"hooks",
                            {{"Stop", {{{"matcher", ""}, {"hooks", {user}}}}},
                             {"SessionEnd", {{{"hooks", {other, noCommand}}}}}}}};
    EXPECT_EQ(json::parse(remove(settings.dump())), expected);
    EXPECT_EQ(remove(json({{"hooks", {{"Stop", {ownedGroup("")}}}}, {"model", "opus"}}).dump()),
              "{\n  \"model\": \"opus\"\n}\n");
}

TEST(ClaudeIntegrationSettings, OwnedEntriesAreFoundBesideElementsThatAreNotObjects) {
    // A "hooks" list with a stray text: the owned entry goes, the text stays, and adding never doubles it.
    const json strayEntry = {{"hooks", {{"Stop", {{{"matcher", ""}, {"hooks", {"note", owned()}}}}}}}};
    EXPECT_EQ(json::parse(remove(strayEntry.dump())),
              json({{"hooks", {{"Stop", {{{"matcher", ""}, {"hooks", {"note"}}}}}}}}));
    const json twice = json::parse(add(add(strayEntry.dump())));
    EXPECT_EQ(ownedEntries(twice), 14);
    EXPECT_EQ(twice["hooks"]["Stop"][0]["hooks"], json::array({"note"}));

    // A group list with a stray value: disabling still takes the owned group out.
    const json strayGroup = {{"hooks", {{"Stop", {"note", ownedGroup("")}}}}};
    EXPECT_EQ(json::parse(remove(strayGroup.dump())), json({{"hooks", {{"Stop", {"note"}}}}}));
}

TEST(ClaudeIntegrationSettings, RemovingKeepsAHooksValueThatIsNotAnObject) {
    const json settings = {{"hooks", "kept as written"}, {"model", "opus"}};
    EXPECT_EQ(json::parse(remove(settings.dump())), settings);
    EXPECT_EQ(json::parse(remove(R"({"model":"opus"})")), json({{"model", "opus"}}));
}

TEST(ClaudeIntegrationSettings, RejectsSettingsItCannotEditSafely) {
    EXPECT_THROW(add("{\"model\": "), JsonParseError);
    EXPECT_THROW(remove("{} trailing"), JsonParseError);
    for (const char* settings :
         {"[]", "\"text\"", R"({"hooks": []})", R"({"hooks": null})", R"({"hooks": {"Stop": {}}})",
          R"({"hooks": {"Stop": [1]}})", R"({"hooks": {"Notification": [{"hooks": []}, "note"]}})"})
        expectInvalidRecord([&] { add(settings); });
    expectInvalidRecord([] { remove("[1, 2]"); });

    std::string largest = "{}" + std::string(Integration::maximumSettingsSize - 2, ' ');
    EXPECT_NO_THROW(add(largest));
    expectInvalidRecord([&] { add(largest + " "); });
    expectInvalidRecord([&] { remove(largest + " "); });
}

// The installer reads at most 4,000,000 bytes back: output that grew past it (by the added groups or
// by pretty printing) would make health report a repair and every later change fail.
TEST(ClaudeIntegrationSettings, NeverProducesSettingsLargerThanItReads) {
    std::string nearlyFull =
        R"({"notes":")" + std::string(Integration::maximumSettingsSize - 1000, 'n') + "\"}";
    ASSERT_LE(nearlyFull.size(), Integration::maximumSettingsSize);
    EXPECT_NO_THROW(remove(nearlyFull));
    expectInvalidRecord([&] { add(nearlyFull); });

    std::string compactList = "[0";
    while (compactList.size() < Integration::maximumSettingsSize / 2)
        compactList += ",0";
    const std::string listSettings = R"({"list":)" + compactList + "]}";
    expectInvalidRecord([&] { remove(listSettings); });
    expectInvalidRecord([&] { add(listSettings); });
}

} // namespace
} // namespace quorvel
