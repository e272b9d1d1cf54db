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
    struct Turn {
        LightState state = LightState::unknown;
        bool attentionPending = false;
        std::optional<Date> lastChange;
    };

    std::string sessionID;
    std::optional<std::string> customTitle;
    std::optional<std::string> firstUserText;
    std::optional<std::string> aiTitle;
    std::optional<std::string> workingFolder;
    Turn turn; // lastChange stays none until a line sets the state
    // The turn as it stood before a queued input or a slash command started, while it is not yet known
    // whether the input is a prompt or a local command that does no work.
    std::optional<Turn> beforeInput;

    void setState(LightState newState, bool attention, Date time) {
        beforeInput.reset();
        apply(newState, attention, time);
    }

    void startInput(Date time) {
        if (!beforeInput)
            beforeInput = turn;
        apply(LightState::working, false, time);
    }

    // A local command's output: the command did no work, so the turn is as it was before its input.
    void finishLocalCommand() {
        if (beforeInput)
            turn = *beforeInput;
        beforeInput.reset();
    }

private:
    void apply(LightState newState, bool attention, Date time) {
        turn.state = newState;
        turn.attentionPending = attention;
        turn.lastChange = turn.lastChange ? std::max(*turn.lastChange, time) : time;
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

void applyAssistantLine(Transcript& transcript, object line, std::optional<object> message, Date time) {
    if (!message)
        return;
    // The client's own line for a request that failed for good (server error, prompt too long, ...).
    if (JsonValue::boolean(line, "isApiErrorMessage") == true) {
        transcript.setState(LightState::failed, false, time);
        return;
    }
    auto stopReason = JsonValue::string(*message, "stop_reason");
    if (stopReason == "end_turn") {
        transcript.setState(LightState::done, false, time);
    } else if (stopReason == "tool_use") {
        bool asks = asksUserQuestion(*message);
        transcript.setState(asks ? LightState::waiting : LightState::working, asks, time);
    }
}

// What a "user" line is: only the user's own input starts work.
enum class UserLine {
    input,         // a prompt, or a shell command the user typed
    toolResult,    // a tool's result inside a running turn
    interruption,  // the user stopped the turn (Esc, or a refused permission)
    command,       // a slash command: a prompt or a local command, as its next lines tell
    commandOutput, // what a local command printed; it did no work
    clientNote,    // the client's own text: meta lines, compaction summaries
};

bool holdsToolResult(object message) {
    auto items = arrayOfObjects(JsonValue::array(message, "content"));
    if (!items)
        return false;
    for (element item : *items)
        if (JsonValue::string(item.get_object().value_unsafe(), "type") == "tool_result")
            return true;
    return false;
}

bool isCommandOutput(std::string_view text) {
    return text.starts_with("<local-command-stdout>") || text.starts_with("<local-command-stderr>");
}

UserLine userLine(object line, std::optional<object> message) {
    if (JsonValue::boolean(line, "isMeta") == true || JsonValue::boolean(line, "isCompactSummary") == true)
        return UserLine::clientNote;
    if (!message)
        return UserLine::input;
    if (holdsToolResult(*message))
        return UserLine::toolResult;
    const std::string text = Unicode::collapsedWhiteSpace(contentText(*message));
    if (text.starts_with("[Request interrupted"))
        return UserLine::interruption;
    if (text.starts_with("<command-name>") || text.starts_with("<command-message>"))
        return UserLine::command;
    if (isCommandOutput(text))
        return UserLine::commandOutput;
    if (text.starts_with("<local-command-caveat>"))
        return UserLine::clientNote;
    return UserLine::input;
}

void applyUserLine(Transcript& transcript, object line, std::optional<object> message, Date time) {
    switch (userLine(line, message)) {
    case UserLine::input:
    case UserLine::toolResult:
        transcript.setState(LightState::working, false, time);
        break;
    case UserLine::interruption:
        transcript.setState(LightState::done, false, time);
        break;
    case UserLine::command:
        transcript.startInput(time);
        break;
    case UserLine::commandOutput:
        transcript.finishLocalCommand();
        break;
    case UserLine::clientNote:
        break;
    }
}

// Only these line types can change the state or the title.
bool isStateLineType(std::string_view type) {
    return type == "user" || type == "assistant" || type == "queue-operation" || type == "system";
}

std::optional<std::string> nonBlankTitle(object line, std::string_view key) {
    auto title = JsonValue::string(line, key);
    if (!title || Unicode::trimmed(*title).empty())
        return std::nullopt;
    return Unicode::graphemePrefix(*title, maxNameCharacters);
}

void applyLine(Transcript& transcript, object line) {
    if (auto sessionID = JsonValue::string(line, "sessionId"); sessionID && Uuid::isUuidText(*sessionID))
        transcript.sessionID = *sessionID;
    auto type = JsonValue::string(line, "type");
    if (type == "custom-title") {
        if (auto title = nonBlankTitle(line, "customTitle"))
            transcript.customTitle = std::move(title);
    } else if (type == "ai-title") {
        if (auto title = nonBlankTitle(line, "aiTitle"))
            transcript.aiTitle = std::move(title);
    }
    // The project is the folder the session started in: later lines follow the commands' own `cd`.
    if (auto cwd = JsonValue::string(line, "cwd"); cwd && cwd->starts_with("/") && !transcript.workingFolder)
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

    if (*type == "assistant") {
        applyAssistantLine(transcript, line, message, *time);
    } else if (*type == "user") {
        applyUserLine(transcript, line, message, *time);
    } else if (*type == "system") {
        // Today's client writes a local command's output as a system line.
        if (JsonValue::string(line, "subtype") == "local_command" &&
            isCommandOutput(JsonValue::string(line, "content").value_or("")))
            transcript.finishLocalCommand();
    } else if (JsonValue::string(line, "operation") == "dequeue") {
        transcript.startInput(*time);
    }
}

TaskStatus makeTask(const Transcript& transcript, std::string_view fallbackName) {
    std::string_view name = transcript.customTitle     ? *transcript.customTitle
                            : transcript.firstUserText ? *transcript.firstUserText
                            : transcript.aiTitle       ? *transcript.aiTitle
                                                       : fallbackName;
    TaskStatus task;
    task.id = "claude-" + transcript.sessionID;
    task.name = Unicode::graphemePrefix(name, maxNameCharacters);
    task.state = transcript.turn.state;
    task.updatedAt = *transcript.turn.lastChange;
    task.source = std::string(claudeCodeSource);
    if (transcript.workingFolder)
        task.projectName = PathText::lastComponent(*transcript.workingFolder);
    task.confirmedAttentionPending = transcript.turn.attentionPending;
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
    if (!Uuid::isUuidText(transcript.sessionID) || !transcript.turn.lastChange)
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
