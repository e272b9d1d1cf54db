#include "Codex/CodexAutomationIndex.h"
#include "TestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::writeFile;
using Targets = std::set<std::string>;

const std::string upperID = "5F0C2A4E-9B1D-4C3E-8F7A-6B5C4D3E2F1A";
const std::string lowerID = "5f0c2a4e-9b1d-4c3e-8f7a-6b5c4d3e2f1a";
const std::string otherID = "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d";

std::optional<std::string> target(std::string_view text) {
    return CodexAutomationIndex::targetThreadID(text);
}

std::string line(const std::string& id) {
    return "target_thread_id = \"" + id + "\"\n";
}

TEST(CodexAutomationIndexTests, TargetLineForms) {
    EXPECT_EQ(target("name = \"nightly\"\ntarget_thread_id = \"" + upperID + "\" # the thread\nx = 1\n"),
              lowerID);
    EXPECT_EQ(target(" \t target_thread_id=\"" + lowerID + "\""), lowerID);
    EXPECT_EQ(target("[job]\r\ntarget_thread_id = \"" + lowerID + "\"\r\nnext = 2"), lowerID);
    EXPECT_EQ(target("a = 1\u2028target_thread_id = \"" + lowerID + "\"\u2029"), lowerID);
    EXPECT_EQ(target("\u00A0\u3000target_thread_id = \"" + lowerID + "\"   #"), lowerID);
    // White space between the tokens may run across line ends.
    EXPECT_EQ(target("target_thread_id\n=\n\"" + lowerID + "\"\n\n"), lowerID);
}

TEST(CodexAutomationIndexTests, LinesThatDoNotMatch) {
    const std::string misses[] = {
        "my_target_thread_id = \"" + lowerID + "\"",
        "target_thread_id_2 = \"" + lowerID + "\"",
        "x target_thread_id = \"" + lowerID + "\"",
        "target_thread_id = '" + lowerID + "'",
        "target_thread_id = \"" + lowerID + "\" trailing",
        "target_thread_id = \"" + lowerID + "0\"",
        "target_thread_id = \"" + lowerID.substr(1) + "\"",
        "target_thread_id = " + lowerID,
        "target_thread_id: \"" + lowerID + "\"",
        "",
    };
    for (const auto& miss : misses)
        EXPECT_EQ(target(miss), std::nullopt) << miss;
}

TEST(CodexAutomationIndexTests, OnlyTheFirstMatchingLineCounts) {
    EXPECT_EQ(target("target_thread_id = \"" + lowerID + "\" x\n" + line(otherID)), otherID);
    // 36 hexadecimal digits match the pattern but are no UUID; a later valid line does not help.
    EXPECT_EQ(target(line(std::string(36, 'a')) + line(otherID)), std::nullopt);
    EXPECT_EQ(target(line("5f0c2a4e9-b1d-4c3e-8f7a-6b5c4d3e2f1a") + line(otherID)), std::nullopt);
}

TEST(CodexAutomationIndexTests, TextLimits) {
    EXPECT_EQ(target("# caf\xC3\n" + line(lowerID)), std::nullopt);

    std::string atLimit = line(lowerID);
    atLimit.resize(256'000, ' ');
    EXPECT_EQ(target(atLimit), lowerID);
    EXPECT_EQ(target(atLimit + " "), std::nullopt);

    // Long runs are scanned without recursion or repeated rescans.
    std::string spaced = "target_thread_id =" + std::string(255'000, ' ') + "\"" + lowerID + "\"";
    EXPECT_EQ(target(spaced), lowerID);
    std::string keys;
    while (keys.size() < 255'000)
        keys += "target_thread_id target_thread_id=\n";
    EXPECT_EQ(target(keys), std::nullopt);
}

void writeAutomation(const TemporaryDirectory& home, const std::string& name, std::string_view toml) {
    writeFile(home / "automations" / name / "automation.toml", toml);
}

TEST(CodexAutomationIndexTests, LoadSkipsUnusableAutomations) {
    TemporaryDirectory home;
    EXPECT_EQ(CodexAutomationIndex::load(home.path()), Targets{});

    writeAutomation(home, "a", line(upperID));
    writeAutomation(home, "b", line(lowerID));
    writeAutomation(home, ".hidden", line(otherID));
    writeAutomation(home, "no-target", "name = \"x\"\n");
    std::filesystem::create_directories(home / "automations/empty");
    writeFile(home / "automations/plain-file", line(otherID));
    writeFile(home / "elsewhere/automation.toml", line(otherID));
    std::filesystem::create_directory_symlink(home / "elsewhere", home / "automations/linked-folder");
    std::filesystem::create_directories(home / "automations/linked-file");
    std::filesystem::create_symlink(home / "elsewhere/automation.toml",
                                    home / "automations/linked-file/automation.toml");
    std::string tooLarge = line(otherID);
    tooLarge.resize(256'001, ' ');
    writeAutomation(home, "too-large", tooLarge);
    std::filesystem::create_directories(home / "automations/toml-folder/automation.toml");

    EXPECT_EQ(CodexAutomationIndex::load(home.path()), Targets{lowerID});
}

TEST(CodexAutomationIndexTests, LoadLooksAtTheFirst500Entries) {
    TemporaryDirectory home;
    for (int i = 0; i < 600; ++i) {
        char id[37];
        std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012d", i);
        writeAutomation(home, "automation-" + std::to_string(i), line(id));
    }
    EXPECT_EQ(CodexAutomationIndex::load(home.path()).size(), 500u);
}

TEST(CodexAutomationIndexTests, AnAutomationsFileIsNoFolder) {
    TemporaryDirectory home;
    writeFile(home / "automations", line(lowerID));
    EXPECT_EQ(CodexAutomationIndex::load(home.path()), Targets{});
}

} // namespace
} // namespace quorvel
