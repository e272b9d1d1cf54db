#include "Orca/OrcaInstallation.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

class OrcaInstallationTest : public ::testing::Test {
protected:
    TemporaryDirectory root;
    OrcaInstallation::SearchFolders folders{{root / "home-data", root / "usr-local", root / "usr"}};

    std::filesystem::path program(const std::string& relative) {
        const auto path = root / relative;
        testing::writeFile(path, "#!/bin/sh\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    std::filesystem::path entry(const std::filesystem::path& dataFolder, const std::string& body) {
        const auto path = dataFolder / "applications" / OrcaInstallation::desktopFileID;
        testing::writeFile(path, body);
        return path;
    }

    static std::string desktopEntry(const std::string& exec, const std::string& extra = "") {
        return "[Desktop Entry]\nType=Application\nName=Orca\n" + extra + "Exec=" + exec + "\n";
    }
};

TEST_F(OrcaInstallationTest, FindsTheToolBesideTheProgramOfTheDesktopEntry) {
    const auto orca = program("opt/Orca/orca-app");
    const auto found = entry(root / "usr", desktopEntry(orca.string() + " %U"));
    const auto installation = OrcaInstallation::locate(std::nullopt, folders);
    ASSERT_TRUE(installation);
    EXPECT_EQ(installation->desktopEntry, found);
    EXPECT_EQ(installation->program, orca);
    EXPECT_EQ(installation->tool, root / "opt/Orca/resources/bin/orca");
}

TEST_F(OrcaInstallationTest, LinkedProgramIsResolvedToItsInstallationFolder) {
    const auto orca = program("opt/Orca/orca-app");
    std::filesystem::create_directories(root / "bin");
    std::filesystem::create_symlink(orca, root / "bin/orca-app");
    entry(root / "usr", desktopEntry((root / "bin/orca-app").string()));
    EXPECT_EQ(OrcaInstallation::locate(std::nullopt, folders)->tool, root / "opt/Orca/resources/bin/orca");
}

TEST_F(OrcaInstallationTest, FirstFolderHoldingTheEntryDecides) {
    const auto system = program("opt/Orca/orca-app");
    const auto user = program("home/apps/Orca/orca-app");
    entry(root / "usr", desktopEntry(system.string()));
    entry(root / "home-data", desktopEntry(user.string()));
    EXPECT_EQ(OrcaInstallation::locate(std::nullopt, folders)->program, user);

    entry(root / "home-data", desktopEntry(user.string(), "Hidden=true\n"));
    EXPECT_EQ(OrcaInstallation::locate(std::nullopt, folders), std::nullopt) << "the user removed it";
}

TEST_F(OrcaInstallationTest, EntriesThatCannotStartOrcaFindNothing) {
    EXPECT_EQ(OrcaInstallation::locate(std::nullopt, folders), std::nullopt) << "not installed";
    const std::vector<std::string> unusable = {
        desktopEntry("orca-app %U"),                            // would need a PATH lookup
        desktopEntry((root / "opt/missing/orca-app").string()), // program gone
        "[Desktop Entry]\nType=Link\nExec=" + program("opt/Orca/orca-app").string() + "\n",
        "[Other Group]\nType=Application\nExec=" + program("opt/Orca/orca-app").string() + "\n",
    };
    for (const auto& body : unusable) {
        entry(root / "usr", body);
        EXPECT_EQ(OrcaInstallation::locate(std::nullopt, folders), std::nullopt) << body;
    }
}

TEST_F(OrcaInstallationTest, ConfiguredProgramWinsOverTheDesktopEntry) {
    entry(root / "usr", desktopEntry(program("opt/Orca/orca-app").string()));
    const auto configured = program("custom/orca-app");
    const auto installation = OrcaInstallation::locate(configured, folders);
    ASSERT_TRUE(installation);
    EXPECT_EQ(installation->desktopEntry, std::nullopt);
    EXPECT_EQ(installation->tool, root / "custom/resources/bin/orca");
    EXPECT_EQ(OrcaInstallation::locate(root / "custom/absent", folders), std::nullopt);
    EXPECT_EQ(OrcaInstallation::locate(std::filesystem::path("orca"), folders), std::nullopt);
}

TEST_F(OrcaInstallationTest, TheConfiguredProgramComesFromItsVariableAndAnEmptyOneCountsAsUnset) {
    const auto system = program("opt/Orca/orca-app");
    entry(root / "usr", desktopEntry(system.string()));
    const auto located = [this] {
        return OrcaInstallation::locate(OrcaInstallation::configuredProgram(), folders);
    };
    {
        testing::ScopedEnvironmentVariable unset(OrcaInstallation::programVariable, std::nullopt);
        EXPECT_EQ(located()->program, system);
    }
    testing::ScopedEnvironmentVariable variable(OrcaInstallation::programVariable, std::string(""));
    EXPECT_EQ(located()->program, system);
    const auto own = program("home/apps/Orca/orca-app");
    testing::ScopedEnvironmentVariable set(OrcaInstallation::programVariable, own.string());
    EXPECT_EQ(located()->program, own);
    testing::ScopedEnvironmentVariable folder(OrcaInstallation::programVariable,
                                              (root / "home/apps").string());
    EXPECT_EQ(located(), std::nullopt) << "a folder is no program";
}

TEST_F(OrcaInstallationTest, QuotedProgramWithSpacesIsFound) {
    const auto orca = program("opt/My Apps/Orca/orca-app");
    entry(root / "usr", desktopEntry("\"" + orca.string() + "\" --no-sandbox %U"));
    const auto installation = OrcaInstallation::locate(std::nullopt, folders);
    ASSERT_TRUE(installation);
    EXPECT_EQ(installation->tool, root / "opt/My Apps/Orca/resources/bin/orca");
}

TEST(OrcaInstallationSearchFolders, FollowTheXdgVariables) {
    TemporaryDirectory home;
    testing::ScopedEnvironmentVariable homeVariable("HOME", home.path().string());
    {
        testing::ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", std::nullopt);
        testing::ScopedEnvironmentVariable dataDirs("XDG_DATA_DIRS", std::string(""));
        EXPECT_EQ(
            OrcaInstallation::SearchFolders::fromEnvironment().dataFolders,
            (std::vector<std::filesystem::path>{home / ".local/share", "/usr/local/share", "/usr/share"}));
    }
    testing::ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", std::string("/data/home"));
    testing::ScopedEnvironmentVariable dataDirs("XDG_DATA_DIRS", std::string("relative:/a::/b"));
    EXPECT_EQ(OrcaInstallation::SearchFolders::fromEnvironment().dataFolders,
              (std::vector<std::filesystem::path>{"/data/home", "/a", "/b"}));
}

} // namespace
} // namespace quorvel
