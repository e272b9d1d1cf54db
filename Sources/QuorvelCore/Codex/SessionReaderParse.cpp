#include "Codex/SessionReader.h"
#include "Support/BoundedReader.h"
#include "Support/Json.h"
#include "Support/Unicode.h"

#include <algorithm>
#include <array>
#include <set>

namespace quorvel::SessionReader {

namespace {

using simdjson::dom::object;

constexpr std::string_view asyncUnresolvedKey = "async-unresolved";
constexpr std::string_view uncorrelatedKey = "uncorrelated";

constexpr std::array<std::string_view, 4> userRequestTools{"request_user_input", "request_user_input_async",
                                                           "request_plugin_install", "request_permissions"};

bool isToolCall(std::string_view payloadType) {
    return payloadType == "function_call" || payloadType == "custom_tool_call";
}

bool isToolOutput(std::string_view payloadType) {
    return payloadType == "function_call_output" || payloadType == "custom_tool_call_output";
}

bool isActivity(std::string_view payloadType) {
    return payloadType == "reasoning" || isToolCall(payloadType) || isToolOutput(payloadType);
}

// The last non-empty piece of a dotted tool name ("namespace.exec" gives "exec").
std::string_view toolName(std::string_view name) {
    while (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

bool proposesPlan(std::optional<std::string_view> message) {
    if (!message)
        return false;
    const std::string_view text = Unicode::trimmed(*message);
    return text.starts_with("<proposed_plan>") && text.ends_with("</proposed_plan>");
}

class HistoryMachine {
public:
    HistoryMachine(std::string_view id, std::string_view name)
        : task_(TaskStatus::make(std::string(id), name, LightState::unknown, Date::distantPast(),
                                 std::string(codexHistorySource))) {}

    void apply(std::string_view kind, std::string_view payloadType, object payload, Date ts) {
        if (task_.state == LightState::unknown && kind == "response_item" && isActivity(payloadType))
            task_.state = LightState::working;
        if (kind == "event_msg")
            applyEvent(payloadType, payload, ts);
        else if (kind == "response_item")
            applyResponseItem(payloadType, payload);
        if (ts >= task_.updatedAt)
            task_.updatedAt = ts;
    }

    TaskStatus finish() && { return std::move(task_); }

private:
    void applyEvent(std::string_view payloadType, object payload, Date ts) {
        if (payloadType == "task_started") {
            endTurn(ts, LightState::working);
        } else if (payloadType == "task_complete") {
            // Today's clients end a turn that failed with a task_complete carrying the error.
            if (JsonValue::object(payload, "error")) {
                endTurn(ts, LightState::failed);
                return;
            }
            task_.lastTurnBoundaryAt = ts;
            completeTurn(payload);
        } else if (payloadType == "turn_aborted") {
            endTurn(ts, LightState::done);
        } else if (payloadType == "task_failed") {
            endTurn(ts, LightState::failed);
        } else if (payloadType == "item_completed") {
            completeItem(JsonValue::object(payload, "item"));
        }
    }

    void applyResponseItem(std::string_view payloadType, object payload) {
        if (isToolCall(payloadType))
            startToolCall(payload);
        else if (isToolOutput(payloadType))
            receiveToolOutput(payload);
    }

    // A turn boundary that forgets every open wait.
    void endTurn(Date ts, LightState state) {
        task_.lastTurnBoundaryAt = ts;
        pendingCallIDs_.clear();
        nestedApprovalCallIDs_.clear();
        planPending_ = false;
        setState(state, false);
    }

    void completeTurn(object payload) {
        const bool waits = planPending_ || !pendingCallIDs_.empty() ||
                           proposesPlan(JsonValue::string(payload, "last_agent_message"));
        setState(waits ? LightState::waiting : LightState::done, waits);
    }

    void startToolCall(object payload) {
        const std::string_view tool = toolName(JsonValue::string(payload, "name").value_or(""));
        // A custom tool call carries free "input", a function call JSON "arguments": the detectors read
        // whichever the call has.
        const std::optional<std::string_view> arguments = JsonValue::string(payload, "arguments");
        std::optional<std::string_view> input = JsonValue::string(payload, "input");
        if (!input)
            input = arguments;
        const bool isExec = tool == "exec";
        const bool nested = isExec && requestsKnownNestedApproval(input);
        const bool needsUser =
            std::find(userRequestTools.begin(), userRequestTools.end(), tool) != userRequestTools.end() ||
            (isExec && requestsEscalatedPermission(input)) || nested ||
            requestsFileChangeApproval(tool, input) || requestsEscalatedSandbox(arguments);
        if (!needsUser)
            return;
        const std::string key(tool == "request_user_input_async"
                                  ? asyncUnresolvedKey
                                  : JsonValue::string(payload, "call_id").value_or(uncorrelatedKey));
        if (nested)
            nestedApprovalCallIDs_.insert(key);
        pendingCallIDs_.insert(key);
        setState(LightState::waiting, true);
    }

    void receiveToolOutput(object payload) {
        const std::optional<std::string_view> callID = JsonValue::string(payload, "call_id");
        if (!callID)
            return;
        const std::string key(*callID);
        if (nestedApprovalCallIDs_.contains(key) || pendingCallIDs_.erase(key) == 0)
            return;
        if (pendingCallIDs_.empty())
            setState(LightState::working, false);
    }

    void completeItem(std::optional<object> item) {
        if (item && JsonValue::string(*item, "type") == "Plan") {
            planPending_ = true;
            setState(LightState::waiting, true);
        }
        if (!isKnownNestedApprovalCompletion(item) || nestedApprovalCallIDs_.empty())
            return;
        for (const std::string& key : nestedApprovalCallIDs_)
            pendingCallIDs_.erase(key);
        nestedApprovalCallIDs_.clear();
        if (pendingCallIDs_.empty())
            setState(LightState::working, false);
    }

    void setState(LightState state, bool attention) {
        task_.state = state;
        task_.confirmedAttentionPending = attention;
    }

    TaskStatus task_;
    std::set<std::string, std::less<>> pendingCallIDs_;
    std::set<std::string, std::less<>> nestedApprovalCallIDs_;
    bool planPending_ = false;
};

} // namespace

TaskStatus parse(std::string_view data, std::string_view id, std::string_view name) {
    HistoryMachine machine(id, name);
    JsonParser parser;
    forEachLine(data, [&](std::string_view line) {
        const std::optional<object> root = parser.tryParseObject(line);
        if (!root)
            return;
        const std::optional<object> payload = JsonValue::object(*root, "payload");
        if (!payload)
            return;
        const std::optional<Date> ts =
            Iso8601::parseFractionalOrWholeSeconds(JsonValue::string(*root, "timestamp").value_or(""));
        if (!ts)
            return;
        machine.apply(JsonValue::string(*root, "type").value_or(""),
                      JsonValue::string(*payload, "type").value_or(""), *payload, *ts);
    });
    return std::move(machine).finish();
}

} // namespace quorvel::SessionReader
