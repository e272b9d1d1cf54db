#include "Codex/CodexAutomationIndex.h"

#include "Support/DirectoryListing.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <cerrno>
#include <system_error>
#include <vector>

namespace quorvel::CodexAutomationIndex {
namespace {

constexpr std::string_view key = "target_thread_id";
constexpr std::size_t idLength = 36;

// The text is valid UTF-8 here, so sequences can be decoded without checks.
char32_t decodeAt(std::string_view text, std::size_t position, std::size_t& length) {
    auto byte = static_cast<unsigned char>(text[position]);
    length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    char32_t value = length == 1 ? byte : byte & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        value = (value << 6) | (static_cast<unsigned char>(text[position + i]) & 0x3F);
    return value;
}

std::size_t previousCharacterStart(std::string_view text, std::size_t position) {
    do
        --position;
    while (position > 0 && (static_cast<unsigned char>(text[position]) & 0xC0) == 0x80);
    return position;
}

bool isLineTerminator(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

struct WhiteSpaceRun {
    std::size_t end = 0; // or start, when scanning backwards
    bool crossesLineEnd = false;
};

WhiteSpaceRun whiteSpaceAfter(std::string_view text, std::size_t position) {
    WhiteSpaceRun run{position, false};
    std::size_t length = 0;
    while (run.end < text.size()) {
        char32_t c = decodeAt(text, run.end, length);
        if (!Unicode::isWhiteSpace(c))
            break;
        run.crossesLineEnd = run.crossesLineEnd || isLineTerminator(c);
        run.end += length;
    }
    return run;
}

WhiteSpaceRun whiteSpaceBefore(std::string_view text, std::size_t position) {
    WhiteSpaceRun run{position, false};
    std::size_t length = 0;
    while (run.end > 0) {
        std::size_t start = previousCharacterStart(text, run.end);
        char32_t c = decodeAt(text, start, length);
        if (!Unicode::isWhiteSpace(c))
            break;
        run.crossesLineEnd = run.crossesLineEnd || isLineTerminator(c);
        run.end = start;
    }
    return run;
}

bool isIDCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '-';
}

// (?m)^\s*target_thread_id\s*=\s*"([0-9A-Fa-f-]{36})"\s*(?:#.*)?$ tried at one occurrence of the key.
// \s is Unicode white space and may cross line ends; ^ and $ stand at any line terminator; . does not
// cross one. So the key must be reached from a line start through white space only, and after the
// closing quote the white space must reach a line end, the end of the text, or a "#".
std::optional<std::string_view> matchAt(std::string_view text, std::size_t keyStart) {
    auto before = whiteSpaceBefore(text, keyStart);
    if (before.end != 0 && !before.crossesLineEnd)
        return std::nullopt;
    std::size_t position = whiteSpaceAfter(text, keyStart + key.size()).end;
    if (position >= text.size() || text[position] != '=')
        return std::nullopt;
    position = whiteSpaceAfter(text, position + 1).end;
    if (position >= text.size() || text[position] != '"')
        return std::nullopt;
    std::size_t idStart = position + 1;
    std::size_t idEnd = idStart;
    while (idEnd < text.size() && idEnd - idStart < idLength && isIDCharacter(text[idEnd]))
        ++idEnd;
    if (idEnd - idStart != idLength || idEnd >= text.size() || text[idEnd] != '"')
        return std::nullopt;
    auto after = whiteSpaceAfter(text, idEnd + 1);
    if (!after.crossesLineEnd && after.end < text.size() && text[after.end] != '#')
        return std::nullopt;
    return text.substr(idStart, idLength);
}

std::optional<std::string_view> firstMatch(std::string_view text) {
    for (auto found = text.find(key); found != std::string_view::npos; found = text.find(key, found + 1)) {
        if (auto id = matchAt(text, found))
            return id;
    }
    return std::nullopt;
}

// The first `limit` entries of the listing that are not hidden; nothing when the folder cannot be listed.
std::vector<std::string> visibleEntries(const std::filesystem::path& folder, std::size_t limit,
                                        DirectoryListingCache* listings) {
    std::vector<std::string> names;
    try {
        if (!DirectoryListing::exists(folder, listings ? listings->files() : nullptr))
            return names;
        for (std::string& name : DirectoryListing::entryNames(folder, listings)) {
            if (names.size() == limit)
                break;
            if (!name.starts_with('.'))
                names.push_back(std::move(name));
        }
    } catch (const std::system_error&) {
        names.clear();
    }
    return names;
}

// lstat of the path; throws std::system_error as lstat would, ENOENT included.
FileInfo infoOf(const std::filesystem::path& path, FileStatusCache* files) {
    const std::optional<FileInfo> info = infoIfExists(files, path);
    if (!info)
        throw std::system_error(ENOENT, std::generic_category(), path.string());
    return *info;
}

std::optional<std::string> automationTarget(const std::filesystem::path& automationFolder,
                                            FileStatusCache* files) {
    auto file = automationFolder / "automation.toml";
    try {
        const std::optional<FileInfo> info = infoIfExists(files, file);
        if (!info || !info->isRegular() || info->size > maxFileBytes)
            return std::nullopt;
        return targetThreadID(FileIO::readBounded(file, maxFileBytes));
    } catch (const std::exception&) {
        askAgainNextPass(files); // a failure that may not happen again
        return std::nullopt;
    }
}

} // namespace

std::set<std::string> load(const std::filesystem::path& codexHome, DirectoryListingCache* listings) {
    FileStatusCache* files = listings ? listings->files() : nullptr;
    auto folder = codexHome / "automations";
    std::set<std::string> targets;
    for (const auto& name : visibleEntries(folder, maxEntries, listings)) {
        auto entry = folder / name;
        if (!infoOf(entry, files).isDirectory())
            continue;
        if (auto target = automationTarget(entry, files))
            targets.insert(*target);
    }
    return targets;
}

std::optional<std::string> targetThreadID(std::string_view automationToml) {
    if (automationToml.size() > maxFileBytes || !Unicode::isValidUtf8(automationToml))
        return std::nullopt;
    auto id = firstMatch(automationToml);
    if (!id || !Uuid::isUuidText(*id))
        return std::nullopt;
    return Uuid::lowercased(*id);
}

} // namespace quorvel::CodexAutomationIndex
