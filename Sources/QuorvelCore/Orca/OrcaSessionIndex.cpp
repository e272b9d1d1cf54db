#include "Orca/OrcaSessionIndex.h"

#include "Model/StatusError.h"
#include "Orca/OrcaLocalFile.h"
#include "Support/FileIO.h"
#include "Support/FileInfo.h"
#include "Support/Json.h"
#include "Support/Locations.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <cmath>

namespace quorvel {

namespace {

using simdjson::dom::object;

bool isAssistant(std::string_view agentType) {
    return agentType == "claude" || agentType == "codex";
}

bool isWithinLength(std::string_view text, std::size_t maxCharacters) {
    return Unicode::graphemeCount(text, maxCharacters) <= maxCharacters;
}

// The pane key is "<tab UUID>:<pane UUID>"; gives the pane UUID when the key belongs to `tabID`.
std::optional<std::string_view> leafOfPaneKey(std::string_view key, std::string_view tabID) {
    const auto colon = key.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto leaf = key.substr(colon + 1);
    if (key.substr(0, colon) != tabID || leaf.find(':') != std::string_view::npos || !Uuid::isUuidText(leaf))
        return std::nullopt;
    return leaf;
}

std::optional<std::string> transcriptPathOf(object providerSession) {
    const auto path = JsonValue::string(providerSession, "transcriptPath");
    if (!path || !path->starts_with('/') || !isWithinLength(*path, OrcaSessionIndex::maxTranscriptPathLength))
        return std::nullopt;
    return std::string(*path);
}

struct EntryFields {
    std::string_view provider;
    std::string_view sessionID;
    std::string_view tabID;
    std::string_view worktreeID;
    double receivedAt = 0;
    object providerSession;
};

// Steps that look only at the entry object itself.
std::optional<EntryFields> readEntryFields(std::string_view key, object entry) {
    if (entry.at_key("structuredHost").error() != simdjson::NO_SUCH_FIELD)
        return std::nullopt;
    if (JsonValue::has(entry, "connectionId") || JsonValue::string(entry, "paneKey") != key)
        return std::nullopt;
    const auto payload = JsonValue::object(entry, "payload");
    const auto agentType = payload ? JsonValue::string(*payload, "agentType") : std::nullopt;
    if (!agentType || !isAssistant(*agentType))
        return std::nullopt;
    const auto providerSession = JsonValue::object(entry, "providerSession");
    if (!providerSession || JsonValue::string(*providerSession, "key") != "session_id")
        return std::nullopt;
    const auto sessionID = JsonValue::string(*providerSession, "id");
    if (!sessionID || !Uuid::isUuidText(*sessionID))
        return std::nullopt;
    const auto tabID = JsonValue::string(entry, "tabId");
    if (!tabID || !Uuid::isUuidText(*tabID))
        return std::nullopt;
    const auto worktreeID = JsonValue::string(entry, "worktreeId");
    if (!worktreeID || worktreeID->empty() ||
        !isWithinLength(*worktreeID, OrcaSessionIndex::maxWorktreeIDLength))
        return std::nullopt;
    const auto receivedAt = JsonValue::number(entry, "receivedAt");
    if (!receivedAt || !std::isfinite(*receivedAt))
        return std::nullopt;
    return EntryFields{*agentType, *sessionID, *tabID, *worktreeID, *receivedAt, *providerSession};
}

// The index of the sessions observed at most maxAge before `now` and at most maxFutureSkew after it. Older
// ones stay out as `now` moves on.
OrcaSessionIndex recentOnly(std::vector<OrcaSessionReference> sessions, Date now,
                            ResultLifetime* lifetime = nullptr) {
    std::erase_if(sessions, [&](const OrcaSessionReference& session) {
        const double age = now - session.observedAt;
        const bool ahead = age < -OrcaSessionIndex::maxFutureSkew;
        const bool old = age > OrcaSessionIndex::maxAge;
        if (lifetime && ahead)
            lifetime->endsBy(session.observedAt - OrcaSessionIndex::maxFutureSkew);
        else if (lifetime && !old)
            lifetime->endsBy(session.observedAt + OrcaSessionIndex::maxAge);
        return ahead || old;
    });
    return OrcaSessionIndex{std::move(sessions)};
}

// Every check but the age, which depends on the time of the refresh.
std::optional<OrcaSessionReference> referenceOf(std::string_view key, simdjson::dom::element value) {
    object entry;
    if (value.get_object().get(entry) != simdjson::SUCCESS)
        return std::nullopt;
    const auto fields = readEntryFields(key, entry);
    if (!fields)
        return std::nullopt;
    const auto leafID = leafOfPaneKey(key, fields->tabID);
    if (!leafID)
        return std::nullopt;
    const Date observedAt = Date::fromUnixMilliseconds(fields->receivedAt);
    return OrcaSessionReference{
        .provider = std::string(fields->provider),
        .sessionID = Uuid::lowercased(fields->sessionID),
        .tabID = std::string(fields->tabID),
        .leafID = std::string(*leafID),
        .worktreeID = std::string(fields->worktreeID),
        .observedAt = observedAt,
        .transcriptPath = transcriptPathOf(fields->providerSession),
    };
}

} // namespace

std::filesystem::path OrcaSessionIndex::root(const std::filesystem::path& home) {
    return Locations::applicationSupport(home) / "Orca";
}

std::filesystem::path OrcaSessionIndex::statusFile(const std::filesystem::path& root) {
    return root / "agent-hooks" / "last-status.json";
}

OrcaSessionIndex OrcaSessionIndex::load(const std::filesystem::path& root, Date now, StatusFileCache* cache,
                                        ResultLifetime* lifetime) {
    const auto file = statusFile(root);
    const std::optional<FileInfo> info = infoIfExists(cache ? cache->files() : nullptr, file);
    if (!info)
        return {};
    OrcaLocalFile::validate(*info, statusFileLimit);
    return recentOnly(
        cachedFileResult(cache, file,
                         [&] { return decodeAllAges(FileIO::readBounded(file, statusFileLimit)).sessions; }),
        now, lifetime);
}

OrcaSessionIndex OrcaSessionIndex::decode(std::string_view bytes, Date now) {
    return recentOnly(decodeAllAges(bytes).sessions, now);
}

OrcaSessionIndex OrcaSessionIndex::decodeAllAges(std::string_view bytes) {
    if (bytes.size() > statusFileLimit)
        throw StatusError::invalidRecord();
    JsonParser parser;
    const auto document = parser.parse(bytes);
    // The status file is an object or an array at its top; a bare value is not a JSON document here.
    if (!document.is_object() && !document.is_array())
        throw JsonParseError("The data is not a JSON object or array");
    object top;
    if (document.get_object().get(top) != simdjson::SUCCESS)
        throw StatusError::invalidRecord();
    const auto version = JsonValue::number(top, "version");
    const auto entries = JsonValue::object(top, "entries");
    if (version != 2.0 || !entries || entries->size() > maxEntries)
        throw StatusError::invalidRecord();

    OrcaSessionIndex index;
    for (const auto field : *entries) {
        if (auto reference = referenceOf(field.key, field.value))
            index.sessions.push_back(std::move(*reference));
    }
    return index;
}

std::vector<OrcaSessionReference> OrcaSessionIndex::matches(std::string_view taskID) const {
    const std::string wanted = Uuid::lowercased(taskID);
    std::vector<OrcaSessionReference> found;
    for (const auto& reference : sessions) {
        if (reference.taskID() == wanted)
            found.push_back(reference);
    }
    return found;
}

} // namespace quorvel
