#include "Claude/ClaudeHookStore.h"

#include "Model/StatusError.h"
#include "Support/DirectoryListing.h"
#include "Support/FileIO.h"
#include "Support/FolderLock.h"
#include "Support/Json.h"
#include "Support/Locations.h"
#include "Support/Unicode.h"
#include "Support/UnreadableFile.h"
#include "Support/Uuid.h"

namespace quorvel {

namespace {

std::string_view requiredText(simdjson::dom::object event, std::string_view key) {
    const std::optional<std::string_view> text = JsonValue::string(event, key);
    if (!text)
        throw StatusError::invalidRecord();
    return *text;
}

std::string_view requiredAbsolutePath(simdjson::dom::object event, std::string_view key) {
    const std::string_view path = requiredText(event, key);
    if (!path.starts_with('/') ||
        Unicode::graphemeCount(path, ClaudeHookStore::maxPathLength) > ClaudeHookStore::maxPathLength)
        throw StatusError::invalidRecord();
    return path;
}

bool textEquals(simdjson::dom::object event, std::string_view key, std::string_view expected) {
    const std::optional<std::string_view> text = JsonValue::string(event, key);
    return text && *text == expected;
}

// A subagent started in the background still works after the turn that launched it ends; the session
// finishes with the turn the client starts when the agent is done. Background shell commands don't count:
// they may run for ever while the user is back at the prompt.
bool listsRunningBackgroundAgent(simdjson::dom::object event) {
    const std::optional<simdjson::dom::array> tasks = JsonValue::array(event, "background_tasks");
    if (!tasks)
        return false;
    for (const simdjson::dom::element task : *tasks) {
        if (!task.is_object())
            continue;
        const simdjson::dom::object fields = task.get_object().value_unsafe();
        if (textEquals(fields, "type", "subagent") && textEquals(fields, "status", "running"))
            return true;
    }
    return false;
}

} // namespace

std::filesystem::path ClaudeHookStore::defaultDirectory(const std::filesystem::path& home) {
    return Locations::quorvelSupport(home) / "claude-events";
}

bool ClaudeHookStore::ingest(std::string_view payload, Date now) const {
    if (payload.size() > maxPayloadBytes)
        throw StatusError::invalidRecord();
    JsonParser parser;
    const simdjson::dom::element root = parser.parse(payload);
    if (!root.is_object())
        throw StatusError::invalidRecord();
    const simdjson::dom::object event = root.get_object().value_unsafe();

    const std::string_view sessionID = requiredText(event, "session_id");
    if (!Uuid::isUuidText(sessionID))
        throw StatusError::invalidRecord();
    const std::string_view eventName = requiredText(event, "hook_event_name");
    const std::string_view cwd = requiredAbsolutePath(event, "cwd");
    const std::string_view transcriptPath = requiredAbsolutePath(event, "transcript_path");

    // Whether the event maps to a state does not depend on the previous record.
    if (!transition(eventName, event, std::nullopt))
        return true;

    // Claude Code starts the helpers of some events at the same moment (StopFailure and SessionEnd), and
    // SessionEnd maps from the previous record: reading the previous record and writing the new one is
    // one critical section between helpers, so that they end as if they had run one after the other.
    FileIO::createPrivateDirectories(directory);
    const FolderLock lock(directory, lockPatience);
    const std::filesystem::path file = directory / (std::string(sessionID) + ".json");
    const std::optional<ClaudeHookRecord> previous = loadPrevious(file, now);
    const Transition next = *transition(eventName, event, previous);

    // A repeated finish or failure keeps the time it first happened.
    const bool keepsTime = previous && previous->state == next.state &&
                           (next.state == LightState::done || next.state == LightState::failed);
    const ClaudeHookRecord record{std::string(sessionID),
                                  next.state,
                                  keepsTime ? previous->updatedAt : now,
                                  std::string(cwd),
                                  std::string(transcriptPath),
                                  next.attentionPending};
    // Never write a record that loadAll would refuse: the previous record stays instead.
    if (!Iso8601::isRepresentable(record.updatedAt))
        throw StatusError::invalidRecord();
    const std::string bytes = JsonText::compact(record.toJson());
    FileIO::requireWithinReadCap(bytes, maxRecordBytes);
    FileIO::writeAtomically(file, bytes, 0600);
    return !lock.waitedOut();
}

std::optional<ClaudeHookStore::Transition>
ClaudeHookStore::transition(std::string_view eventName, simdjson::dom::object event,
                            const std::optional<ClaudeHookRecord>& previous) {
    const Transition working{LightState::working, false};
    const Transition waiting{LightState::waiting, true};
    const Transition done{LightState::done, false};
    const Transition failed{LightState::failed, false};

    if (eventName == "UserPromptSubmit" || eventName == "PostToolUse" || eventName == "PostToolUseFailure" ||
        eventName == "ElicitationResult")
        return working;
    if (eventName == "PermissionRequest" || eventName == "Elicitation")
        return waiting;
    if (eventName == "PreToolUse") {
        if (textEquals(event, "tool_name", "AskUserQuestion"))
            return waiting;
        return std::nullopt;
    }
    if (eventName == "Notification") {
        if (textEquals(event, "notification_type", "permission_prompt") ||
            textEquals(event, "notification_type", "elicitation_dialog") ||
            textEquals(event, "notification_type", "agent_needs_input"))
            return waiting;
        if (textEquals(event, "notification_type", "idle_prompt"))
            return done;
        return std::nullopt;
    }
    if (eventName == "Stop")
        return listsRunningBackgroundAgent(event) ? working : done;
    if (eventName == "StopFailure")
        return failed;
    if (eventName == "SessionEnd")
        return previous && previous->state == LightState::failed ? failed : done;
    return std::nullopt;
}

std::vector<ClaudeHookRecord> ClaudeHookStore::loadAll(Date now, Cache* cache,
                                                       ResultLifetime* lifetime) const {
    std::vector<ClaudeHookRecord> records;
    JsonParser parser;
    for (const std::string& name :
         DirectoryListing::jsonEntryNames(directory, cache ? &cache->listings : nullptr)) {
        const std::filesystem::path file = directory / name;
        ClaudeHookRecord record =
            cachedFileResult(cache ? &cache->records : nullptr, file, [&] { return load(file, parser); });
        if (!(now - record.updatedAt < recentInterval))
            continue; // and stays out as `now` moves on
        if (lifetime)
            lifetime->endsBy(record.updatedAt + recentInterval);
        records.push_back(std::move(record));
    }
    return records;
}

ClaudeHookRecord ClaudeHookStore::load(const std::filesystem::path& file, JsonParser& parser) {
    const std::string bytes = FileIO::readBounded(file, maxRecordBytes);
    return ClaudeHookRecord::fromJson(JsonValue::requireObject(parser.parse(bytes)));
}

std::optional<ClaudeHookRecord> ClaudeHookStore::loadPrevious(const std::filesystem::path& file, Date now) {
    std::optional<ClaudeHookRecord> previous;
    UnreadableFile::loadOrKeepAside(file, now, [&] {
        JsonParser parser;
        previous = load(file, parser);
    });
    return previous;
}

} // namespace quorvel
