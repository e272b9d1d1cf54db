#include "Claude/ClaudeSessionReader.h"

#include "Support/BoundedReader.h"
#include "Support/FileIO.h"
#include "Support/Json.h"
#include "Support/Locations.h"
#include "Support/PathText.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <algorithm>

namespace quorvel::ClaudeSessionReader {

namespace {

using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::object;

// Working values of one parse.
struct Transcript {
    std::string sessionID;
    std::optional<std::string> customTitle;
    std::optional<std::string> firstUserText;
    std::optional<std::string> workingFolder;
    LightState state = LightState::unknown;
    bool attentionPending = false;
    std::optional<Date> lastChange; // none until a line sets the state

    void setState(LightState newState, bool attention, Date time) {
        state = newState;
        attentionPending = attention;
        lastChange = lastChange ? std::max(*lastChange, time) : time;
    }
};

// The elements of `value` when it is an array holding only objects.
std::optional<array> arrayOfObjects(std::optional<array> value) {
    if (!value)
        return std::nullopt;
    for (element item : *value)
        if (!item.is_object())
            return std::nullopt;
    return value;
}

std::string contentText(object message) {
    if (auto text = JsonValue::string(message, "content"))
        return std::string(*text);
    auto items = arrayOfObjects(JsonValue::array(message, "content"));
    if (!items)
        return {};
    std::string joined;
    bool first = true;
    for (element item : *items) {
        object part = item.get_object().value_unsafe();
        auto text = JsonValue::string(part, "text");
        if (JsonValue::string(part, "type") != "text" || !text)
            continue;
        if (!first)
            joined += ' ';
        joined += *text;
        first = false;
    }
    return joined;
}

std::optional<std::string> titleFromUserLine(object line, object message) {
    if (JsonValue::boolean(line, "isMeta") == true || JsonValue::boolean(line, "isSidechain") == true)
        return std::nullopt;
    std::string text = Unicode::collapsedWhiteSpace(contentText(message));
    if (text.empty() || text.starts_with("<") || text.starts_with("[Request interrupted"))
        return std::nullopt;
    return Unicode::graphemePrefix(text, maxNameCharacters);
}

bool asksUserQuestion(object message) {
    auto items = arrayOfObjects(JsonValue::array(message, "content"));
    if (!items)
        return false;
    for (element item : *items) {
        object part = item.get_object().value_unsafe();
        if (JsonValue::string(part, "type") == "tool_use" &&
            JsonValue::string(part, "name") == "AskUserQuestion")
            return true;
    }
    return false;
}

void applyAssistantLine(Transcript& transcript, std::optional<object> message, Date time) {
    if (!message)
        return;
    auto stopReason = JsonValue::string(*message, "stop_reason");
    if (stopReason == "end_turn") {
        transcript.setState(LightState::done, false, time);
    } else if (stopReason == "tool_use") {
        bool asks = asksUserQuestion(*message);
        transcript.setState(asks ? LightState::waiting : LightState::working, asks, time);
    }
}

// Only these line types can change the state or the title.
bool isStateLineType(std::string_view type) {
    return type == "user" || type == "assistant" || type == "queue-operation";
}

void applyLine(Transcript& transcript, object line) {
    if (auto sessionID = JsonValue::string(line, "sessionId"); sessionID && Uuid::isUuidText(*sessionID))
        transcript.sessionID = *sessionID;
    auto type = JsonValue::string(line, "type");
    if (type == "custom-title") {
        auto title = JsonValue::string(line, "customTitle");
        if (title && !Unicode::trimmed(*title).empty())
            transcript.customTitle = Unicode::graphemePrefix(*title, maxNameCharacters);
    }
    if (auto cwd = JsonValue::string(line, "cwd"); cwd && cwd->starts_with("/"))
        transcript.workingFolder = *cwd;

    if (!type || !isStateLineType(*type))
        return;
    auto timestampText = JsonValue::string(line, "timestamp");
    auto time = timestampText ? Iso8601::parseFractionalOrWholeSeconds(*timestampText) : std::nullopt;
    if (!time)
        return;
    auto message = JsonValue::object(line, "message");
    if (*type == "user" && message && !transcript.firstUserText)
        transcript.firstUserText = titleFromUserLine(line, *message);

    if (*type == "assistant")
        applyAssistantLine(transcript, message, *time);
    else if (*type == "user")
        transcript.setState(LightState::working, false, *time);
    else if (JsonValue::string(line, "operation") == "dequeue")
        transcript.setState(LightState::working, false, *time);
}

TaskStatus makeTask(const Transcript& transcript, std::string_view fallbackName) {
    std::string_view name = transcript.customTitle     ? *transcript.customTitle
                            : transcript.firstUserText ? *transcript.firstUserText
                                                       : fallbackName;
    TaskStatus task;
    task.id = "claude-" + transcript.sessionID;
    task.name = Unicode::graphemePrefix(name, maxNameCharacters);
    task.state = transcript.state;
    task.updatedAt = *transcript.lastChange;
    task.source = std::string(claudeCodeSource);
    if (transcript.workingFolder)
        task.projectName = PathText::lastComponent(*transcript.workingFolder);
    task.confirmedAttentionPending = transcript.attentionPending;
    return task;
}

} // namespace

std::optional<TaskStatus> parse(std::string_view bytes, std::string_view fallbackID,
                                std::string_view fallbackName) {
    Transcript transcript;
    transcript.sessionID = std::string(fallbackID);
    JsonParser parser;
    forEachLine(bytes, [&](std::string_view line) {
        if (line.size() > maxLineBytes)
            return;
        if (auto object = parser.tryParseObject(line))
            applyLine(transcript, *object);
    });
    if (!Uuid::isUuidText(transcript.sessionID) || !transcript.lastChange)
        return std::nullopt;
    return makeTask(transcript, fallbackName);
}

std::string transcriptData(const std::filesystem::path& path, std::uint64_t limit) {
    BoundedReader reader{limit, limit, BoundedReader::NoLineFeed::keepWhole};
    return reader.read(path);
}

std::filesystem::path defaultDesktopSessionsRoot(const std::filesystem::path& home) {
    return Locations::applicationSupport(home) / "Claude" / "claude-code-sessions";
}

} // namespace quorvel::ClaudeSessionReader
