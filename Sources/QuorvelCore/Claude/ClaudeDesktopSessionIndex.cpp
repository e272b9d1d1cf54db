#include "Claude/ClaudeDesktopSessionIndex.h"

#include "Support/DirectoryListing.h"
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

std::optional<std::string> readSessionFile(const std::filesystem::path& path, FileStatusCache* files) {
    try {
        return FileIO::readBounded(path, maxSessionFileBytes);
    } catch (const std::exception&) {
        askAgainNextPass(files);
        return std::nullopt;
    }
}

void addSessionFile(Snapshot& snapshot, JsonParser& parser, const DirectoryWalker::Entry& entry,
                    FileStatusCache* files) {
    const FileInfo info = entry.info();
    if (!info.isRegular() || info.size > maxSessionFileBytes)
        return;
    auto bytes = readSessionFile(entry.path(), files);
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

Snapshot snapshot(const std::filesystem::path& root, DirectoryListingCache* listings) {
    Snapshot result;
    FileStatusCache* files = listings ? listings->files() : nullptr;
    if (!DirectoryListing::existsOrFalse(root, files))
        return result;
    JsonParser parser;
    std::size_t examined = 0;
    DirectoryWalker::walkEntries(
        root,
        [&](const DirectoryWalker::Entry& entry) {
            if (entry.path().extension() != ".json")
                return true;
            if (examined == maxExaminedEntries)
                return false;
            ++examined;
            addSessionFile(result, parser, entry, files);
            return true;
        },
        listings);
    return result;
}

} // namespace quorvel::ClaudeDesktopSessionIndex
