#include "Claude/ClaudeDesktopSessionIndex.h"

#include "Support/DirectoryWalker.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "Support/Uuid.h"

#include <exception>

namespace quorvel::ClaudeDesktopSessionIndex {

namespace {

constexpr std::string_view desktopSessionPrefix = "local_";

bool isDesktopSessionID(std::string_view text) {
    return text.starts_with(desktopSessionPrefix) &&
           Uuid::isUuidText(text.substr(desktopSessionPrefix.size()));
}

std::optional<std::string> readSessionFile(const std::filesystem::path& path) {
    try {
        return FileIO::readBounded(path, maxSessionFileBytes);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void addSessionFile(Snapshot& snapshot, JsonParser& parser, const std::filesystem::path& path) {
    FileInfo info = FileInfo::of(path);
    if (!info.isRegular() || info.size > maxSessionFileBytes)
        return;
    auto bytes = readSessionFile(path);
    if (!bytes)
        return;
    auto object = parser.tryParseObject(*bytes);
    if (!object)
        return;
    auto cliSessionID = JsonValue::string(*object, "cliSessionId");
    auto desktopSessionID = JsonValue::string(*object, "sessionId");
    if (!cliSessionID || !Uuid::isUuidText(*cliSessionID) || !desktopSessionID ||
        !isDesktopSessionID(*desktopSessionID))
        return;
    std::string key(*cliSessionID);
    snapshot.sessionIDs[key] = std::string(*desktopSessionID);
    if (auto milliseconds = JsonValue::number(*object, "lastFocusedAt"))
        snapshot.lastFocusedAt[key] = Date::fromUnixMilliseconds(*milliseconds);
}

} // namespace

Snapshot snapshot(const std::filesystem::path& root) {
    Snapshot result;
    std::error_code error;
    if (!std::filesystem::exists(root, error))
        return result;
    JsonParser parser;
    std::size_t examined = 0;
    DirectoryWalker::walkWhile(root, [&](const std::filesystem::path& path) {
        if (path.extension() != ".json")
            return true;
        if (examined == maxExaminedEntries)
            return false;
        ++examined;
        addSessionFile(result, parser, path);
        return true;
    });
    return result;
}

} // namespace quorvel::ClaudeDesktopSessionIndex
