#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvel {

// Where the Orca terminal app is installed: found through its desktop entry, or from a configured
// program path. Never looked up by a bare name on PATH (another program is called "orca").
struct OrcaInstallation {
    static constexpr std::string_view desktopFileID = "com.stablyai.orca.desktop";
    // The command-line tool, relative to the folder of the app's program.
    static constexpr std::string_view toolInApplicationFolder = "resources/bin/orca";
    // Names the app's program where Orca was installed without a desktop entry.
    static constexpr const char* programVariable = "QUORVEL_ORCA_APP";

    // The XDG data folders searched for "applications/<desktopFileID>", most important first.
    struct SearchFolders {
        std::vector<std::filesystem::path> dataFolders;
        // $XDG_DATA_HOME (else ~/.local/share), then $XDG_DATA_DIRS (else /usr/local/share:/usr/share).
        static SearchFolders fromEnvironment();
    };

    std::optional<std::filesystem::path> desktopEntry; // none for a configured program
    std::filesystem::path program;                     // what starts the app, links resolved
    std::filesystem::path tool;

    // The program that programVariable names; none when it is unset or empty.
    static std::optional<std::filesystem::path> configuredProgram();

    // A configured program wins; otherwise the first desktop entry that is an application and names an
    // absolute, existing program. Nothing when Orca cannot be found.
    static std::optional<OrcaInstallation>
    locate(const std::optional<std::filesystem::path>& configuredProgram, const SearchFolders& folders);

    bool operator==(const OrcaInstallation&) const = default;
};

} // namespace quorvel
