#include "Claude/ClaudeDesktopSessionIndex.h"
#include "TestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quorvel {
namespace {

using nlohmann::json;
using testing::TemporaryDirectory;
using testing::writeFile;

constexpr std::string_view cliSession = "5f0c2d1e-8b7a-4c3d-9e2f-1a2b3c4d5e6f";
constexpr std::string_view desktopSession = "local_0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d";

json sessionFile(std::string_view cli, std::string_view desktop, const json& lastFocusedAt = 1772355000000) {
    json value = {
        {"cliSessionId", cli}, {"sessionId", desktop}, {"title", "Fix the bug"}, {"cwd", "/home/me/app"}};
    if (!lastFocusedAt.is_null())
        value["lastFocusedAt"] = lastFocusedAt;
    return value;
}

std::string uuidNumber(int n) {
    char text[40];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", n);
    return text;
}

TEST(ClaudeDesktopSessionIndex, ReadsSessionIdsAndFocusTimes) {
    TemporaryDirectory temp;
    writeFile(temp / "account/org/a.json", sessionFile(cliSession, desktopSession, 0).dump());
    writeFile(temp / "b.json", sessionFile(uuidNumber(2), "local_" + uuidNumber(20), 500).dump());
    writeFile(temp / "c.json", sessionFile(uuidNumber(3), "local_" + uuidNumber(30), "1772355000000").dump());
    writeFile(temp / "d.json", sessionFile(uuidNumber(4), "local_" + uuidNumber(40), 1772355000123.5).dump());

    auto snapshot = ClaudeDesktopSessionIndex::snapshot(temp.path());
    EXPECT_EQ(snapshot.sessionIDs,
              (std::map<std::string, std::string>{{std::string(cliSession), std::string(desktopSession)},
                                                  {uuidNumber(2), "local_" + uuidNumber(20)},
                                                  {uuidNumber(3), "local_" + uuidNumber(30)},
                                                  {uuidNumber(4), "local_" + uuidNumber(40)}}));
    EXPECT_EQ(snapshot.lastFocusedAt, (std::map<std::string, Date>{
                                          {std::string(cliSession), Date::fromUnix(0)},
                                          {uuidNumber(2), Date::fromUnix(0.5)},
                                          {uuidNumber(4), Date::fromUnix(1772355000.1235)},
                                      }));
    EXPECT_EQ(Iso8601::formatWholeSeconds(snapshot.lastFocusedAt[std::string(cliSession)]),
              "1970-01-01T00:00:00Z");
}

TEST(ClaudeDesktopSessionIndex, SkipsFilesWithoutBothValidIds) {
    TemporaryDirectory temp;
    std::string upper = "5F0C2D1E-8B7A-4C3D-9E2F-1A2B3C4D5E6F";
    writeFile(temp / "ok-upper.json", sessionFile(upper, "local_" + upper).dump());
    writeFile(temp / "1.json", sessionFile(uuidNumber(1), "local_not-a-uuid").dump());
    writeFile(temp / "2.json", sessionFile(uuidNumber(2), uuidNumber(20)).dump());
    writeFile(temp / "3.json", sessionFile(uuidNumber(3), "LOCAL_" + uuidNumber(30)).dump());
    writeFile(temp / "4.json", sessionFile("local_" + uuidNumber(4), "local_" + uuidNumber(40)).dump());
    writeFile(temp / "5.json", json{{"sessionId", "local_" + uuidNumber(50)}, {"lastFocusedAt", 1}}.dump());
    writeFile(temp / "6.json", json::array({sessionFile(uuidNumber(6), "local_" + uuidNumber(60))}).dump());
    writeFile(temp / "7.json", sessionFile(uuidNumber(7), "local_" + uuidNumber(70)).dump() + "x");
    writeFile(temp / "8.json",
              "{\"cliSessionId\": \"" + uuidNumber(8) + "\", \"sessionId\": \"local_\xC3\x28\"}");
    writeFile(temp / "9.json5", sessionFile(uuidNumber(9), "local_" + uuidNumber(90)).dump());
    writeFile(temp / "10.JSON", sessionFile(uuidNumber(10), "local_" + uuidNumber(100)).dump());
    writeFile(temp / ".hidden.json", sessionFile(uuidNumber(11), "local_" + uuidNumber(110)).dump());

    auto snapshot = ClaudeDesktopSessionIndex::snapshot(temp.path());
    EXPECT_EQ(snapshot.sessionIDs, (std::map<std::string, std::string>{{upper, "local_" + upper}}));
    EXPECT_EQ(snapshot.lastFocusedAt.size(), 1u);
}

TEST(ClaudeDesktopSessionIndex, ALaterFileOfTheSameSessionWins) {
    TemporaryDirectory temp;
    writeFile(temp / "a.json", sessionFile(cliSession, "local_" + uuidNumber(1), 1000).dump());
    writeFile(temp / "b.json", sessionFile(cliSession, "local_" + uuidNumber(2), nullptr).dump());
    auto snapshot = ClaudeDesktopSessionIndex::snapshot(temp.path());
    EXPECT_EQ(snapshot.sessionIDs.at(std::string(cliSession)), "local_" + uuidNumber(2));
    EXPECT_EQ(snapshot.lastFocusedAt.at(std::string(cliSession)), Date::fromUnix(1));
}

TEST(ClaudeDesktopSessionIndex, ExaminesAtMost200JsonEntries) {
    TemporaryDirectory temp;
    for (int i = 0; i < 250; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%03d", i);
        writeFile(temp / (std::string(name) + ".json"),
                  sessionFile(uuidNumber(i), "local_" + uuidNumber(i)).dump());
        writeFile(temp / (std::string(name) + ".txt"), "not counted");
    }
    // A link and a folder named .json count too, without contributing; they come first in name order.
    std::filesystem::create_symlink(temp / "000.json", temp / "!link.json");
    std::filesystem::create_directory(temp / "!folder.json");
    auto snapshot = ClaudeDesktopSessionIndex::snapshot(temp.path());
    EXPECT_EQ(snapshot.sessionIDs.size(), 198u);
    EXPECT_TRUE(snapshot.sessionIDs.contains(uuidNumber(197)));
    EXPECT_FALSE(snapshot.sessionIDs.contains(uuidNumber(198)));
}

TEST(ClaudeDesktopSessionIndex, ReadsFilesUpToFourMillionBytes) {
    TemporaryDirectory temp;
    auto fileOfSize = [](std::string_view cli, std::size_t size) {
        std::string text = sessionFile(cli, "local_" + std::string(cli)).dump();
        text.insert(text.size() - 1, ",\"padding\":\"" + std::string(size - text.size() - 13, 'p') + "\"");
        return text;
    };
    writeFile(temp / "a.json", fileOfSize(uuidNumber(1), 4'000'000));
    writeFile(temp / "b.json", fileOfSize(uuidNumber(2), 4'000'001));
    ASSERT_EQ(std::filesystem::file_size(temp / "a.json"), 4'000'000u);
    ASSERT_EQ(std::filesystem::file_size(temp / "b.json"), 4'000'001u);
    auto snapshot = ClaudeDesktopSessionIndex::snapshot(temp.path());
    EXPECT_EQ(snapshot.sessionIDs,
              (std::map<std::string, std::string>{{uuidNumber(1), "local_" + uuidNumber(1)}}));
}

TEST(ClaudeDesktopSessionIndex, AMissingRootGivesAnEmptySnapshot) {
    TemporaryDirectory temp;
    EXPECT_EQ(ClaudeDesktopSessionIndex::snapshot(temp / "missing"), ClaudeDesktopSessionIndex::Snapshot{});
    writeFile(temp / "file", "x");
    EXPECT_EQ(ClaudeDesktopSessionIndex::snapshot(temp / "file"), ClaudeDesktopSessionIndex::Snapshot{});
}

} // namespace
} // namespace quorvel
