#include "Orca/OrcaInstallation.h"

#include "Support/FileIO.h"

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

std::string_view trimmedSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The "[Desktop Entry]" group's value for `key`.
std::optional<std::string_view> entryValue(std::string_view text, std::string_view key) {
    bool inMainGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = trimmedSpaces(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || line.starts_with('#') || equals == std::string_view::npos)
            continue;
        if (trimmedSpaces(line.substr(0, equals)) == key)
            return trimmedSpaces(line.substr(equals + 1));
    }
    return std::nullopt;
}

// The general escapes of desktop entry string values.
std::string unescapedValue(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            text += value[i];
            break;
        }
    }
    return text;
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
    if (entryValue(text, "Type") != "Application" || entryValue(text, "Hidden") == "true")
        return std::nullopt;
    const auto programText = OrcaInstallation::execProgram(text);
    const auto program = programText ? existingProgram(*programText) : std::nullopt;
    if (!program)
        return std::nullopt;
    return installationOf(*program, entry);
}

} // namespace

OrcaInstallation::SearchFolders OrcaInstallation::SearchFolders::fromEnvironment() {
    SearchFolders folders;
    auto dataHome = absolutePaths(std::getenv("XDG_DATA_HOME"));
    folders.dataFolders.push_back(dataHome.empty() ? FileIO::homeDirectory() / ".local" / "share"
                                                   : dataHome.front());
    auto dataDirs = absolutePaths(std::getenv("XDG_DATA_DIRS"));
    if (dataDirs.empty())
        dataDirs = {"/usr/local/share", "/usr/share"};
    folders.dataFolders.insert(folders.dataFolders.end(), dataDirs.begin(), dataDirs.end());
    return folders;
}

std::optional<std::string> OrcaInstallation::execProgram(std::string_view desktopEntryText) {
    const auto exec = entryValue(desktopEntryText, "Exec");
    if (!exec)
        return std::nullopt;
    const std::string value = unescapedValue(*exec);
    std::string program;
    if (!value.starts_with('"')) {
        program = value.substr(0, value.find(' '));
    } else {
        std::size_t i = 1;
        for (; i < value.size() && value[i] != '"'; ++i) {
            if (value[i] == '\\' && i + 1 < value.size())
                ++i;
            program += value[i];
        }
        if (i == value.size())
            return std::nullopt; // no closing quote
    }
    if (program.empty())
        return std::nullopt;
    return program;
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
