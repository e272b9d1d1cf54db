#include "Login/AutostartEntry.h"
#include "Login/AutostartError.h"
#include "Login/DesktopEntry.h"
#include "Login/LaunchAtLoginManager.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <system_error>
#include <unistd.h>

namespace quorvel {
namespace {

using testing::ScopedEnvironmentVariable;
using testing::TemporaryDirectory;

TEST(DesktopEntry, ExecValueBringsBackAnyProgramPath) {
    for (const char* program :
         {"/usr/bin/quorvel", "/opt/My Apps/quorvel", "/home/o'neil/bin/quorvel", "/tmp/a\"b/quorvel",
          "/tmp/$HOME/`id`/quorvel", "/tmp/back\\slash/quorvel", "/tmp/100%/%U/quorvel",
          "/tmp/line\nbreak\tand\rtab/quorvel", "/tmp/caf\u00e9/quorvel"}) {
        const std::string value = DesktopEntry::execValue(program);
        EXPECT_EQ(value.find('\n'), std::string::npos) << value;
        EXPECT_EQ(DesktopEntry::execProgram(value), program) << value;
    }
}

TEST(DesktopEntry, ExecValueFollowsTheQuotingAndStringEscapes) {
    EXPECT_EQ(DesktopEntry::execValue("/opt/My Apps/q"), "\"/opt/My Apps/q\"");
    // A dollar sign is \$ when quoted, and the backslash is escaped again as a string value.
    EXPECT_EQ(DesktopEntry::execValue("/a$b"), "\"/a\\\\$b\"");
    EXPECT_EQ(DesktopEntry::execValue("/a\\b"), "\"/a\\\\\\\\b\"");
    EXPECT_EQ(DesktopEntry::execValue("/100%"), "\"/100%%\"");
}

TEST(DesktopEntry, ExecProgramReadsHandWrittenEntries) {
    EXPECT_EQ(DesktopEntry::execProgram("/usr/bin/quorvel"), "/usr/bin/quorvel");
    EXPECT_EQ(DesktopEntry::execProgram("quorvel --hidden %U"), "quorvel");
    EXPECT_EQ(DesktopEntry::execProgram("\"/opt/My Apps/quorvel\" %U"), "/opt/My Apps/quorvel");
    EXPECT_EQ(DesktopEntry::execProgram("\"/opt/a\\\"b\""), "/opt/a\"b");
    EXPECT_EQ(DesktopEntry::execProgram("\"/opt/unterminated"), std::nullopt);
    EXPECT_EQ(DesktopEntry::execProgram("   "), std::nullopt);
}

TEST(DesktopEntry, ValueIsTakenFromTheDesktopEntryGroupOnly) {
    const std::string text = "# Exec=/commented\n"
                             "[Other Group]\n"
                             "Exec=/elsewhere\n"
                             "[Desktop Entry]\n"
                             "Name[de]=Quorvel DE\n"
                             "Hidden = true \n"
                             "Exec=/first\n"
                             "Exec=/second\n"
                             "[Desktop Action New]\n"
                             "Name=New\n";
    EXPECT_EQ(DesktopEntry::value(text, "Exec"), "/first");
    EXPECT_EQ(DesktopEntry::value(text, "Hidden"), "true");
    EXPECT_EQ(DesktopEntry::value(text, "Name"), std::nullopt);
}

TEST(AutostartEntry, DefaultPathFollowsXdgConfigHome) {
    TemporaryDirectory home;
    ScopedEnvironmentVariable homeVariable("HOME", home.path().string());
    {
        ScopedEnvironmentVariable config("XDG_CONFIG_HOME", "/custom/config");
        EXPECT_EQ(AutostartEntry::defaultPath(), "/custom/config/autostart/quorvel.desktop");
    }
    for (const std::optional<std::string>& unusable :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/config")}) {
        ScopedEnvironmentVariable config("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(AutostartEntry::defaultPath(), home / ".config/autostart/quorvel.desktop");
    }
}

struct AutostartFolder {
    TemporaryDirectory config;
    AutostartEntry entry{config / "autostart/quorvel.desktop", "/opt/Quorvel Apps/quorvel"};
};

TEST(AutostartEntry, InstallWritesARunnableEntryAndRemoveTakesItAway) {
    AutostartFolder folder;
    EXPECT_EQ(folder.entry.status(), LaunchAtLoginState::disabled);
    folder.entry.install();
    const std::string text = testing::readFile(folder.entry.path);
    EXPECT_EQ(text, "[Desktop Entry]\nType=Application\nName=Quorvel\nComment=See which Claude Code and "
                    "Codex conversations are waiting, failed, working or finished\nIcon=quorvel\n"
                    "Exec=\"/opt/Quorvel Apps/quorvel\"\nTerminal=false\n");
    const std::string installed = testing::readFile(std::filesystem::path(QUORVEL_FIXTURES_DIR) /
                                                    "../../../Sources/Quorvel/Resources/quorvel.desktop");
    for (const char* key : {"Name", "Comment", "Icon"})
        EXPECT_EQ(DesktopEntry::value(text, key), DesktopEntry::value(installed, key)) << key;
    EXPECT_EQ(testing::permissions(folder.entry.path), 0600u);
    EXPECT_EQ(folder.entry.status(), LaunchAtLoginState::enabled);

    folder.entry.remove();
    EXPECT_FALSE(std::filesystem::exists(folder.entry.path));
    EXPECT_EQ(folder.entry.status(), LaunchAtLoginState::disabled);
    EXPECT_NO_THROW(folder.entry.remove());
}

TEST(AutostartEntry, IsEnabledOnlyWhenVisibleAndRunningThisExecutable) {
    AutostartFolder folder;
    const auto statusOf = [&](const std::string& text) {
        testing::writeFile(folder.entry.path, text);
        return folder.entry.status();
    };
    const std::string exec = "Exec=\"/opt/Quorvel Apps/quorvel\"\n";
    EXPECT_EQ(statusOf("[Desktop Entry]\n" + exec), LaunchAtLoginState::enabled);
    EXPECT_EQ(statusOf("[Desktop Entry]\n" + exec + "Hidden=true\n"), LaunchAtLoginState::disabled);
    EXPECT_EQ(statusOf("[Desktop Entry]\n" + exec + "Hidden=false\n"), LaunchAtLoginState::enabled);
    EXPECT_EQ(statusOf("[Desktop Entry]\nExec=/usr/bin/quorvel\n"), LaunchAtLoginState::disabled);
    EXPECT_EQ(statusOf("[Desktop Entry]\nName=Quorvel\n"), LaunchAtLoginState::disabled);
    EXPECT_EQ(statusOf("[Desktop Entry]\n" + exec + std::string(70000, '#')), LaunchAtLoginState::disabled);
}

TEST(AutostartEntry, AnEntryThatIsALinkIsNotReadButIsReplacedOnInstall) {
    AutostartFolder folder;
    const auto target = folder.config / "elsewhere.desktop";
    testing::writeFile(target, "[Desktop Entry]\nExec=\"/opt/Quorvel Apps/quorvel\"\n");
    std::filesystem::create_directories(folder.entry.path.parent_path());
    std::filesystem::create_symlink(target, folder.entry.path);
    EXPECT_EQ(folder.entry.status(), LaunchAtLoginState::disabled);

    folder.entry.install();
    EXPECT_FALSE(std::filesystem::is_symlink(folder.entry.path));
    EXPECT_EQ(testing::readFile(target), "[Desktop Entry]\nExec=\"/opt/Quorvel Apps/quorvel\"\n");
}

TEST(AutostartEntry, RefusesAnExecutablePathThatIsNotUtf8) {
    AutostartFolder folder;
    folder.entry.executable = "/opt/\xff/quorvel";
    EXPECT_THROW(folder.entry.install(), std::system_error);
    EXPECT_FALSE(std::filesystem::exists(folder.entry.path));
}

// What the settings window shows: what could not be done, with the path, and the system's reason.
TEST(AutostartEntry, FailuresSayWhatCouldNotBeDoneWithWhichPath) {
    AutostartFolder folder;
    const auto autostart = folder.entry.path.parent_path();
    testing::writeFile(autostart, "a file where the folder belongs");
    const auto failure = [](const std::function<void()>& change) -> std::string {
        try {
            change();
        } catch (const AutostartError& error) {
            EXPECT_EQ(error.code(), std::errc::not_a_directory);
            return error.what();
        }
        return "no failure";
    };
    EXPECT_EQ(failure([&] { folder.entry.install(); }),
              "Quorvel could not save its autostart entry in " + autostart.string() + ": not a directory.");
    EXPECT_EQ(failure([&] { folder.entry.remove(); }), "Quorvel could not remove its autostart entry " +
                                                           folder.entry.path.string() + ": not a directory.");
    EXPECT_EQ(testing::readFile(autostart), "a file where the folder belongs");
}

TEST(AutostartEntry, OpenFolderRunsXdgOpenOnTheFolderWithoutTheApplicationsDescriptors) {
    AutostartFolder folder;
    TemporaryDirectory bin;
    const auto report = bin / "report";
    const auto marker = bin / "inherited-marker";
    testing::writeFile(marker, "");
    const int fd = ::open(marker.c_str(), O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(fd, 0);
    testing::writeFile(bin / "xdg-open", "#!/bin/sh\n/bin/ls -l /proc/$$/fd/ > '" + report.string() +
                                             ".tmp'\necho \"$@\" >> '" + report.string() +
                                             ".tmp'\n/bin/mv '" + report.string() + ".tmp' '" +
                                             report.string() + "'\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    {
        ScopedEnvironmentVariable path("PATH", bin.path().string());
        EXPECT_TRUE(folder.entry.openFolder());
    }
    ::close(fd);
    for (int i = 0; i < 500 && !std::filesystem::exists(report); ++i)
        ::usleep(10'000);
    const std::string listing = testing::readFile(report);
    EXPECT_NE(listing.find(folder.entry.path.parent_path().string()), std::string::npos) << listing;
    EXPECT_TRUE(std::filesystem::is_directory(folder.entry.path.parent_path()));
    EXPECT_EQ(listing.find("inherited-marker"), std::string::npos) << listing;
}

TEST(AutostartEntry, DrivesTheLaunchAtLoginManager) {
    AutostartFolder folder;
    const AutostartEntry& entry = folder.entry;
    int opened = 0;
    LaunchAtLoginManager manager([&] { return entry.status(); }, [&] { entry.install(); },
                                 [&] { entry.remove(); }, [&] { ++opened; });
    manager.setEnabled(true);
    EXPECT_EQ(manager.state(), LaunchAtLoginState::enabled);
    EXPECT_TRUE(std::filesystem::exists(entry.path));
    manager.setEnabled(false);
    EXPECT_EQ(manager.state(), LaunchAtLoginState::disabled);
    EXPECT_FALSE(std::filesystem::exists(entry.path));
    manager.openSystemSettings();
    EXPECT_EQ(opened, 1);
}

} // namespace
} // namespace quorvel
