#include "Orca/OrcaInstallation.h"

#include "Login/DesktopEntry.h"
#include "Support/FileIO.h"
#include "Support/Locations.h"

#include <cstdlib>
#include <system_error>

namespace quorvel {

namespace {

constexpr std::uint64_t desktopEntryLimit = 1'000'000;

std::vector<std::filesystem::path> absolutePaths(const char* list) {
    std::vector<std::filesystem::path> paths;
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const auto piece = rest.substr(0, colon);
        if (piece.starts_with('/'))
            paths.emplace_back(piece);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return paths;
}

std::optional<std::filesystem::path> existingProgram(const std::filesystem::path& program) {
    if (!program.is_absolute())
        return std::nullopt;
    std::error_code error;
    auto resolved = std::filesystem::canonical(program, error);
    if (error || !std::filesystem::is_regular_file(resolved, error))
        return std::nullopt;
    return resolved;
}

OrcaInstallation installationOf(std::filesystem::path program, std::optional<std::filesystem::path> entry) {
    auto tool = program.parent_path() / OrcaInstallation::toolInApplicationFolder;
    return {std::move(entry), std::move(program), std::move(tool)};
}

std::optional<OrcaInstallation> fromDesktopEntry(const std::filesystem::path& entry) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(entry, error))
        return std::nullopt;
    std::string text;
    try {
        text = FileIO::readPrefix(entry, desktopEntryLimit);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    if (DesktopEntry::value(text, "Type") != "Application" || DesktopEntry::value(text, "Hidden") == "true")
        return std::nullopt;
    const auto exec = DesktopEntry::value(text, "Exec");
    const auto programText = exec ? DesktopEntry::execProgram(*exec) : std::nullopt;
    const auto program = programText ? existingProgram(*programText) : std::nullopt;
    if (!program)
        return std::nullopt;
    return installationOf(*program, entry);
}

} // namespace

OrcaInstallation::SearchFolders OrcaInstallation::SearchFolders::fromEnvironment() {
    SearchFolders folders;
    folders.dataFolders.push_back(Locations::dataHome(FileIO::homeDirectory()));
    auto dataDirs = absolutePaths(std::getenv("XDG_DATA_DIRS"));
    if (dataDirs.empty())
        dataDirs = {"/usr/local/share", "/usr/share"};
    folders.dataFolders.insert(folders.dataFolders.end(), dataDirs.begin(), dataDirs.end());
    return folders;
}

std::optional<std::filesystem::path> OrcaInstallation::configuredProgram() {
    const char* value = std::getenv(programVariable);
    if (value == nullptr || value[0] == '\0')
        return std::nullopt;
    return std::filesystem::path(value);
}

std::optional<OrcaInstallation>
OrcaInstallation::locate(const std::optional<std::filesystem::path>& configuredProgram,
                         const SearchFolders& folders) {
    if (configuredProgram) {
        const auto program = existingProgram(*configuredProgram);
        return program ? std::optional(installationOf(*program, std::nullopt)) : std::nullopt;
    }
    // The first folder holding the entry decides, also when that entry is hidden or broken.
    for (const auto& folder : folders.dataFolders) {
        const auto entry = folder / "applications" / desktopFileID;
        std::error_code error;
        if (std::filesystem::exists(entry, error))
            return fromDesktopEntry(entry);
    }
    return std::nullopt;
}

} // namespace quorvel
