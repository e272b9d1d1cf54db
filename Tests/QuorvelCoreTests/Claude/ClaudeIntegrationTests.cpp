#include "Claude/ClaudeIntegration.h"
#include "ClaudeIntegrationTestSupport.h"
#include "Model/StatusError.h"
#include "Support/Json.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel {
namespace {

using nlohmann::json;
using testing::permissions;
using testing::readFile;
using testing::TemporaryDirectory;
using testing::writeFile;
using Health = ClaudeIntegrationHealth;
namespace Integration = ClaudeIntegration;
using ClaudeIntegrationTesting::expectInvalidRecord;
namespace fs = std::filesystem;

struct ClaudeIntegrationTest : ::testing::Test {
    TemporaryDirectory home;
    fs::path settings = home / ".claude/settings.json";
    fs::path backup = home / ".claude/settings.json.quorvel-backup";
    fs::path helper = home / ".local/share/quorvel/bin/quorvel-status";
    fs::path source = home / "bundle/quorvel-status";

    ClaudeIntegrationTest() { writeSource("#!/bin/sh\nexit 0\n"); }

    void writeSource(std::string_view bytes) {
        writeFile(source, bytes);
        fs::permissions(source, fs::perms(0755));
    }
    void enable() { Integration::enable(source, settings, helper); }
    void disable() { Integration::disable(settings, helper); }
    Health health() const { return Integration::health(settings, helper); }
    std::vector<std::string> helperFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(helper.parent_path()))
            names.push_back(entry.path().filename());
        return names;
    }
    // The settings with every group of one event taken out by hand.
    void removeEventByHand(const std::string& event) {
        json document = json::parse(readFile(settings));
        document["hooks"].erase(event);
        writeFile(settings, document.dump());
    }
};

TEST_F(ClaudeIntegrationTest, DefaultLocationsAreInTheHomeFolder) {
    testing::ScopedEnvironmentVariable homeVariable("HOME", home.path().string());
    testing::ScopedEnvironmentVariable configDir("CLAUDE_CONFIG_DIR", "/elsewhere");
    EXPECT_EQ(Integration::settingsURL(), settings);
    EXPECT_EQ(Integration::installedHelperURL(), helper);
    EXPECT_EQ(Integration::backupURL(settings), backup);
}

TEST_F(ClaudeIntegrationTest, EnablingAFreshHomeCreatesPrivateFilesAndNoBackup) {
    EXPECT_EQ(health(), Health::disabled);
    enable();
    EXPECT_EQ(permissions(home / ".claude"), 0700u);
    EXPECT_EQ(permissions(settings), 0600u);
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(readFile(settings), Integration::addingHooks("{}", Integration::command(helper)));
    EXPECT_EQ(readFile(helper), readFile(source));
    EXPECT_EQ(permissions(helper), 0700u);
    EXPECT_EQ(helperFolder(), std::vector<std::string>{"quorvel-status"});
    EXPECT_EQ(health(), Health::enabled);

    disable();
    EXPECT_EQ(health(), Health::disabled);
    EXPECT_EQ(readFile(settings), "{}\n");
    EXPECT_TRUE(fs::exists(helper));
}

TEST_F(ClaudeIntegrationTest, HealthNeedsRepairForAnythingBetweenNoneAndAll) {
    writeFile(settings, R"({"model": "opus"})");
    EXPECT_EQ(health(), Health::disabled);
    enable();
    removeEventByHand("SessionEnd");
    EXPECT_EQ(health(), Health::needsRepair);
    enable();
    EXPECT_EQ(health(), Health::enabled);

    // Hooks installed by an earlier version lack the newest notification type; repairing adds it.
    json document = json::parse(readFile(settings));
    json& notifications = document["hooks"]["Notification"];
    ASSERT_EQ(notifications.back()["matcher"], "agent_needs_input");
    notifications.erase(notifications.size() - 1);
    writeFile(settings, document.dump());
    EXPECT_EQ(health(), Health::needsRepair);
    enable();
    EXPECT_EQ(health(), Health::enabled);

    fs::permissions(helper, fs::perms(0600));
    EXPECT_EQ(health(), Health::needsRepair);
    fs::remove(helper);
    EXPECT_EQ(health(), Health::needsRepair);
    enable();
    EXPECT_EQ(health(), Health::enabled);

    for (const char* unreadable : {"{\"hooks\": ", "[]", "{\"a\": \"\xff\"}"}) {
        writeFile(settings, unreadable);
        EXPECT_EQ(health(), Health::needsRepair) << unreadable;
    }
}

TEST_F(ClaudeIntegrationTest, AHelperPathWithASpaceAndAQuoteStillMatches) {
    helper = home / "my data/quorvel's/bin/quorvel-status";
    enable();
    EXPECT_NE(readFile(settings).find("'" + home.path().string() + "/my data/quorvel'\\\\''s/bin/"),
              std::string::npos);
    EXPECT_EQ(health(), Health::enabled);
}

TEST_F(ClaudeIntegrationTest, OversizedSettingsAreNeitherReadNorWritten) {
    const std::string oversized = "{}" + std::string(Integration::maximumSettingsSize - 1, ' ');
    writeFile(settings, oversized);
    EXPECT_EQ(health(), Health::needsRepair);
    expectInvalidRecord([&] { enable(); });
    expectInvalidRecord([&] { disable(); });
    EXPECT_EQ(readFile(settings), oversized);
    EXPECT_FALSE(fs::exists(helper));
    EXPECT_FALSE(fs::exists(backup));
}

TEST_F(ClaudeIntegrationTest, LinkedSettingsOrFoldersAreNeverWritten) {
    const fs::path target = home / "dotfiles/settings.json";
    writeFile(target, "{}");
    fs::create_directories(settings.parent_path());
    fs::create_symlink(target, settings);
    EXPECT_EQ(health(), Health::needsRepair);
    expectInvalidRecord([&] { enable(); });
    expectInvalidRecord([&] { disable(); });
    EXPECT_EQ(readFile(target), "{}");
    EXPECT_TRUE(fs::is_symlink(settings));
    EXPECT_FALSE(fs::exists(helper));

    // A linked ".claude" folder, and a linked helper folder.
    fs::remove(settings);
    fs::remove(settings.parent_path());
    fs::create_directory_symlink(target.parent_path(), settings.parent_path());
    EXPECT_EQ(health(), Health::needsRepair);
    expectInvalidRecord([&] { enable(); });
    EXPECT_EQ(readFile(target), "{}");

    fs::remove(settings.parent_path());
    writeFile(settings, "{}");
    fs::create_directories(home / "elsewhere");
    fs::create_directories(helper.parent_path().parent_path());
    fs::create_directory_symlink(home / "elsewhere", helper.parent_path());
    EXPECT_EQ(health(), Health::needsRepair);
    expectInvalidRecord([&] { enable(); });
    EXPECT_TRUE(fs::is_empty(home / "elsewhere"));
}

TEST_F(ClaudeIntegrationTest, SettingsOfAnotherUserAreNeverWritten) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a file away";
    writeFile(settings, "{}");
    ASSERT_EQ(::chown(settings.c_str(), 4242, 4242), 0);
    EXPECT_EQ(health(), Health::needsRepair);
    expectInvalidRecord([&] { enable(); });
    ASSERT_EQ(::chown(settings.c_str(), 0, 0), 0);
    ASSERT_EQ(::chown(settings.parent_path().c_str(), 4242, 4242), 0);
    expectInvalidRecord([&] { disable(); });
    EXPECT_EQ(readFile(settings), "{}");
}

// Health in a child process whose real user id is `realUser` while its effective id stays root.
Health healthAsRealUser(uid_t realUser, const fs::path& settings, const fs::path& helper) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setresuid(realUser, 0, 0) != 0)
            ::_exit(100);
        ::_exit(static_cast<int>(Integration::health(settings, helper)));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_LT(WEXITSTATUS(status), 3) << "setresuid failed";
    return static_cast<Health>(WEXITSTATUS(status));
}

TEST_F(ClaudeIntegrationTest, OwnershipIsCheckedAgainstTheRealUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a file away";
    writeFile(settings, R"({"model": "opus"})");
    ASSERT_EQ(::chown(settings.parent_path().c_str(), 4242, 4242), 0);
    ASSERT_EQ(::chown(settings.c_str(), 4242, 4242), 0);
    EXPECT_EQ(healthAsRealUser(4242, settings, helper), Health::disabled);
    ASSERT_EQ(::chown(settings.c_str(), 0, 0), 0);
    EXPECT_EQ(healthAsRealUser(4242, settings, helper), Health::needsRepair);
}

TEST_F(ClaudeIntegrationTest, EveryChangeBacksUpThePreviousContent) {
    const std::string handWritten = "{\"model\":\"opus\",\n\"env\":{\"A\":\"1\"}}";
    writeFile(settings, handWritten);
    disable(); // nothing owned, but rewritten in the canonical form
    const std::string canonical = readFile(settings);
    EXPECT_EQ(canonical, "{\n  \"env\": {\n    \"A\": \"1\"\n  },\n  \"model\": \"opus\"\n}\n");
    EXPECT_EQ(readFile(backup), handWritten);
    EXPECT_EQ(permissions(backup), 0600u);

    enable();
    EXPECT_EQ(readFile(backup), canonical);
    const std::string enabled = readFile(settings);
    enable(); // no change: the backup keeps the content before the last change
    EXPECT_EQ(readFile(settings), enabled);
    EXPECT_EQ(readFile(backup), canonical);
    disable();
    EXPECT_EQ(readFile(backup), enabled);
    EXPECT_EQ(readFile(settings), canonical);
}

TEST_F(ClaudeIntegrationTest, AnUnsafeBackupStopsTheWriteBeforeAnythingChanges) {
    writeFile(settings, R"({"model": "opus"})");
    fs::create_symlink(home / "bundle/quorvel-status", backup);
    expectInvalidRecord([&] { enable(); });
    EXPECT_EQ(readFile(settings), R"({"model": "opus"})");
    EXPECT_EQ(readFile(source), "#!/bin/sh\nexit 0\n");
}

TEST_F(ClaudeIntegrationTest, SettingsThatCannotBeEditedAreLeftAlone) {
    for (const char* settingsText : {"{\"hooks\": ", "[]", R"({"hooks": {"Stop": "echo"}})"}) {
        writeFile(settings, settingsText);
        EXPECT_ANY_THROW(enable()) << settingsText;
        EXPECT_EQ(readFile(settings), settingsText);
        EXPECT_FALSE(fs::exists(backup));
    }
    writeFile(settings, "[]");
    EXPECT_THROW(disable(), StatusError);
    EXPECT_EQ(readFile(settings), "[]");
}

TEST_F(ClaudeIntegrationTest, TheHelperIsReplacedByRenameWhileARunningCopyKeepsItsFile) {
    enable();
    const int running = ::open(helper.c_str(), O_RDONLY);
    ASSERT_GE(running, 0);
    struct stat before {};
    ::fstat(running, &before);

    writeSource("#!/bin/sh\nexit 1\n");
    enable();
    char bytes[64] = {};
    const ssize_t count = ::pread(running, bytes, sizeof bytes, 0);
    ::close(running);
    EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(std::max<ssize_t>(count, 0))),
              "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(readFile(helper), "#!/bin/sh\nexit 1\n");
    struct stat after {};
    ::stat(helper.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(helperFolder(), std::vector<std::string>{"quorvel-status"});
}

TEST_F(ClaudeIntegrationTest, AFailedCopyLeavesNoTemporaryFileAndTheOldHelper) {
    enable();
    const std::string settingsBefore = readFile(settings);
    fs::remove(source);
    EXPECT_THROW(enable(), std::system_error);
    fs::create_directories(source);
    EXPECT_THROW(enable(), StatusError);
    EXPECT_EQ(helperFolder(), std::vector<std::string>{"quorvel-status"});
    EXPECT_EQ(readFile(helper), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(readFile(settings), settingsBefore);
}

// The settings with the groups that enabling appends taken out again, by the test's own reckoning.
json withoutOwnedGroups(json settings, const std::string& command) {
    for (auto& [event, groups] : settings["hooks"].items()) {
        json kept = json::array();
        for (const json& group : groups)
            if (group["hooks"] != json::array({{{"type", "command"}, {"command", command}, {"timeout", 5}}}))
                kept.push_back(group);
        groups = kept;
    }
    for (auto it = settings["hooks"].begin(); it != settings["hooks"].end();)
        it = it->empty() ? settings["hooks"].erase(it) : std::next(it);
    if (settings["hooks"].empty())
        settings.erase("hooks");
    return settings;
}

TEST_F(ClaudeIntegrationTest, EnableDisableAndEnableAgainOnRealShapedSettings) {
    writeFile(settings, ClaudeIntegrationTesting::realShaped);
    const json original = json::parse(ClaudeIntegrationTesting::realShaped);
    enable();
    const std::string enabled = readFile(settings);
    EXPECT_EQ(readFile(backup), ClaudeIntegrationTesting::realShaped);
    EXPECT_EQ(withoutOwnedGroups(json::parse(enabled), Integration::command(helper)), original);
    EXPECT_EQ(health(), Health::enabled);

    disable();
    const std::string disabled = readFile(settings);
    EXPECT_EQ(json::parse(disabled), original);
    EXPECT_EQ(readFile(backup), enabled);
    EXPECT_EQ(health(), Health::disabled);

    enable();
    EXPECT_EQ(readFile(settings), enabled);
    EXPECT_EQ(health(), Health::enabled);

    // An earlier build ran its helper from "~/Library/Application Support": its hooks need repair, which
    // installs the helper here and runs it instead; disabling takes those hooks away too.
    const fs::path earlierHelper = home / "Library/Application Support/Quorvel/bin/quorvel-status";
    for (const bool repair : {true, false}) {
        writeFile(settings, ClaudeIntegrationTesting::realShaped);
        fs::remove_all(home / ".local");
        Integration::enable(source, settings, earlierHelper);
        EXPECT_EQ(health(), Health::needsRepair);
        repair ? enable() : disable();
        EXPECT_EQ(readFile(settings), repair ? enabled : disabled);
        EXPECT_EQ(health(), repair ? Health::enabled : Health::disabled);
        EXPECT_EQ(fs::exists(helper), repair);
    }
}

TEST_F(ClaudeIntegrationTest, ALargeSettingsFileSurvivesAHundredCycles) {
    const json original = ClaudeIntegrationTesting::large(1 << 20);
    writeFile(settings, original.dump());
    ASSERT_GE(fs::file_size(settings), 1u << 20);
    // The first cycle is checked value by value; every later one must give the same bytes again.
    std::string enabled;
    std::string disabled = readFile(settings);
    for (int cycle = 0; cycle < 100; ++cycle) {
        enable();
        if (cycle == 0) {
            enabled = readFile(settings);
            ASSERT_EQ(withoutOwnedGroups(json::parse(enabled), Integration::command(helper)), original);
        }
        ASSERT_EQ(readFile(settings), enabled) << cycle;
        ASSERT_EQ(readFile(backup), disabled) << cycle;
        disable();
        if (cycle == 0) {
            disabled = readFile(settings);
            ASSERT_EQ(json::parse(disabled), original);
        }
        ASSERT_EQ(readFile(settings), disabled) << cycle;
        ASSERT_EQ(readFile(backup), enabled) << cycle;
    }
    EXPECT_EQ(health(), Health::disabled);
}

TEST_F(ClaudeIntegrationTest, DisablingWithoutSettingsCreatesNothing) {
    disable();
    EXPECT_FALSE(fs::exists(settings.parent_path()));
}

} // namespace
} // namespace quorvel
