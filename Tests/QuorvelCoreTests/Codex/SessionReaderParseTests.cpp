#include "Codex/SessionReader.h"
#include "CodexHistoryGenerator.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using nlohmann::json;
using testing::codexLine;

constexpr double base = 1'772'357'400; // 2026-03-01T09:30:00Z

Date at(int second) {
    return Date::fromUnix(base + second);
}

std::string event(int second, json payload) {
    return codexLine(base + second, "event_msg", payload);
}
std::string item(int second, json payload) {
    return codexLine(base + second, "response_item", payload);
}

std::string started(int second) {
    return event(second, {{"type", "task_started"}});
}
std::string completed(int second, std::string_view message = "Done.") {
    return event(second, {{"type", "task_complete"}, {"last_agent_message", message}});
}
std::string call(int second, std::string_view type, std::string_view name, json input, json callID) {
    json payload = {{"type", type}, {"name", name}};
    if (!input.is_null())
        payload["input"] = input;
    if (!callID.is_null())
        payload["call_id"] = callID;
    return item(second, payload);
}
std::string functionCall(int second, std::string_view name, json callID) {
    return call(second, "function_call", name, nullptr, callID);
}
std::string output(int second, json callID, std::string_view type = "function_call_output") {
    json payload = {{"type", type}, {"output", "ok"}};
    if (!callID.is_null())
        payload["call_id"] = callID;
    return item(second, payload);
}
std::string itemCompleted(int second, json completedItem) {
    return event(second, {{"type", "item_completed"}, {"item", completedItem}});
}

constexpr std::string_view nestedCalendarInput =
    "await tools.mcp__codex_apps__google_calendar_create_event({})";
const json calendarCompletion = {
    {"type", "McpToolCall"}, {"server", "codex_apps"}, {"tool", "google_calendar.create_event"}};

TaskStatus parse(std::string_view data) {
    return SessionReader::parse(data, "codex-thread", "Thread");
}

void expectState(const TaskStatus& task, LightState state, std::optional<bool> attention) {
    EXPECT_EQ(task.state, state);
    EXPECT_EQ(task.confirmedAttentionPending, attention);
}

TEST(SessionReaderParse, EmptyInputGivesTheInitialTask) {
    const TaskStatus task = SessionReader::parse("", "codex-ABC", "Name");
    EXPECT_EQ(task.id, "codex-ABC");
    EXPECT_EQ(task.name, "Name");
    EXPECT_EQ(task.state, LightState::unknown);
    EXPECT_EQ(task.updatedAt, Date::distantPast());
    EXPECT_EQ(task.source, "Codex history \u00B7 experimental");
    EXPECT_FALSE(task.projectName || task.lastTurnBoundaryAt || task.confirmedAttentionPending ||
                 task.providerSessionID || task.providerSessionLastFocusedAt || task.isScheduled ||
                 task.orcaSession);
}

TEST(SessionReaderParse, NameIsCutTo160CharactersAndIdKeptWhole) {
    std::string name;
    for (int index = 0; index < 170; ++index)
        name += "e\u0301"; // one character of two code points
    const std::string id = "codex-" + std::string(300, 'x');
    const TaskStatus task = SessionReader::parse(completed(0), id, name);
    EXPECT_EQ(task.id, id);
    EXPECT_EQ(task.name.size(), 160u * 3);
}

TEST(SessionReaderParse, ResponseActivityStartsWorkingOnlyFromUnknown) {
    for (const char* type : {"reasoning", "function_call", "custom_tool_call", "function_call_output",
                             "custom_tool_call_output"}) {
        const TaskStatus task = parse(item(0, {{"type", type}, {"name", "shell"}}));
        expectState(task, LightState::working, std::nullopt);
        EXPECT_FALSE(task.lastTurnBoundaryAt) << type;
    }
    expectState(parse(item(0, {{"type", "message"}, {"role", "assistant"}})), LightState::unknown,
                std::nullopt);
    expectState(parse(event(0, {{"type", "agent_message"}})), LightState::unknown, std::nullopt);
    // Activity after a finished turn does not reopen it.
    expectState(parse(completed(0) + item(1, {{"type", "reasoning"}})), LightState::done, false);
}

TEST(SessionReaderParse, TurnBoundariesSetStateAndBoundary) {
    TaskStatus task = parse(started(0) + item(1, {{"type", "reasoning"}}));
    expectState(task, LightState::working, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, at(0));

    task = parse(started(0) + completed(5));
    expectState(task, LightState::done, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, at(5));

    task = parse(started(0) + event(7, {{"type", "turn_aborted"}}));
    expectState(task, LightState::done, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, at(7));

    task = parse(started(0) + event(8, {{"type", "task_failed"}}));
    expectState(task, LightState::failed, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, at(8));
}

TEST(SessionReaderParse, UnansweredUserInputKeepsTheFinishedTurnWaiting) {
    expectState(parse(started(0) + completed(2)), LightState::done, false);
    const TaskStatus task = parse(started(0) + functionCall(1, "request_user_input", "c1") + completed(2));
    expectState(task, LightState::waiting, true);
    EXPECT_EQ(task.lastTurnBoundaryAt, at(2));
}

TEST(SessionReaderParse, EveryUserRequestToolWaits) {
    for (const char* name :
         {"request_user_input", "request_user_input_async", "request_plugin_install", "request_permissions",
          "functions.request_user_input", "a..request_permissions."}) {
        const TaskStatus task = parse(started(0) + functionCall(1, name, "c1"));
        EXPECT_EQ(task.state, LightState::waiting) << name;
        EXPECT_EQ(task.confirmedAttentionPending, true) << name;
    }
    for (const char* name : {"request_user_input.x", "Request_User_Input", "shell", "...", ""})
        expectState(parse(started(0) + functionCall(1, name, "c1")), LightState::working, false);
}

TEST(SessionReaderParse, ProposedPlanMessageWaits) {
    expectState(parse(started(0) + completed(1, "  <proposed_plan>\n1. Do it\n</proposed_plan>\n")),
                LightState::waiting, true);
    expectState(parse(started(0) + completed(1, "<proposed_plan>\n1. Do it")), LightState::done, false);
    expectState(parse(started(0) + completed(1, "Plan: <proposed_plan></proposed_plan>")), LightState::done,
                false);
    expectState(parse(started(0) + event(1, {{"type", "task_complete"}, {"last_agent_message", nullptr}})),
                LightState::done, false);
    expectState(parse(started(0) + event(1, {{"type", "task_complete"}})), LightState::done, false);
}

TEST(SessionReaderParse, OutputClearsOnlyItsOwnPendingCall) {
    std::string history = started(0) + functionCall(1, "request_user_input", "c1");
    expectState(parse(history + output(2, "c1")), LightState::working, false);
    expectState(parse(history + output(2, "other")), LightState::waiting, true);
    expectState(parse(history + output(2, nullptr)), LightState::waiting, true);
    expectState(parse(history + output(2, 42)), LightState::waiting, true);
    expectState(parse(history + output(2, "c1", "custom_tool_call_output")), LightState::working, false);

    // Two pending calls: the first output leaves the second waiting.
    history += functionCall(2, "request_permissions", "c2");
    expectState(parse(history + output(3, "c1")), LightState::waiting, true);
    expectState(parse(history + output(3, "c1") + output(4, "c2")), LightState::working, false);
}

TEST(SessionReaderParse, SecondOutputForTheSameCallChangesNothing) {
    const std::string history = started(0) + functionCall(1, "request_user_input", "c1") + output(2, "c1");
    expectState(parse(history + output(3, "c1")), LightState::working, false);
    expectState(parse(history + completed(3) + output(4, "c1")), LightState::done, false);
}

TEST(SessionReaderParse, EscalatedExecWaitsUnderExecOnly) {
    const json input = R"({"cmd":["rm","-rf","build"],"sandbox_permissions":"require_escalated"})";
    expectState(parse(started(0) + call(1, "custom_tool_call", "exec", input, "c1")), LightState::waiting,
                true);
    expectState(parse(started(0) + call(1, "custom_tool_call", "tools.exec", input, "c1")),
                LightState::waiting, true);
    expectState(parse(started(0) + call(1, "custom_tool_call", "shell", input, "c1")), LightState::working,
                false);
    expectState(parse(started(0) + call(1, "custom_tool_call", "exec", 17, "c1")), LightState::working,
                false);
    expectState(parse(started(0) + call(1, "custom_tool_call", "exec", input, "c1") + output(2, "c1")),
                LightState::working, false);
}

TEST(SessionReaderParse, DeletingPatchWaitsForApproval) {
    const std::string patch = "*** Begin Patch\n*** Delete File: old.txt\n*** End Patch\n";
    expectState(parse(started(0) + call(1, "custom_tool_call", "apply_patch", patch, "p1")),
                LightState::waiting, true);
    expectState(
        parse(started(0) + call(1, "custom_tool_call", "exec", "tools.apply_patch(`" + patch + "`)", "p1")),
        LightState::waiting, true);
    expectState(parse(started(0) + call(1, "custom_tool_call", "apply_patch", patch, "p1") + output(2, "p1")),
                LightState::working, false);
}

// Today's client: a function call with JSON "arguments" (no "input") asking to run outside the sandbox.
std::string commandCall(int second, std::string_view name, json arguments, std::string_view callID) {
    return item(second, {{"type", "function_call"},
                         {"name", name},
                         {"arguments", arguments.is_string() ? arguments : json(arguments.dump())},
                         {"call_id", callID}});
}

TEST(SessionReaderParse, EscalatedCommandArgumentsWaitUntilTheirOutput) {
    const json escalated = {{"cmd", "touch x"},
                            {"sandbox_permissions", "require_escalated"},
                            {"justification", "Create x outside the sandbox"}};
    const std::string history = started(0) + commandCall(1, "exec_command", escalated, "c1");
    expectState(parse(history), LightState::waiting, true);
    expectState(parse(history + output(2, "c1")), LightState::working, false);
    expectState(parse(history + output(2, "c1") + completed(3)), LightState::done, false);
    expectState(parse(history + output(2, "other")), LightState::waiting, true);
    // Unanswered when the turn ends: still waiting, as for any pending call.
    expectState(parse(history + completed(3)), LightState::waiting, true);
    // The arguments decide, whatever the tool's name.
    expectState(parse(started(0) + commandCall(1, "functions.shell_command", escalated, "c1")),
                LightState::waiting, true);

    for (const json& arguments :
         {json{{"cmd", "ls"}, {"sandbox_permissions", "use_default"}}, json{{"cmd", "ls"}},
          // The words inside the command itself, or nested deeper, ask for nothing.
          json{{"cmd", "grep 'sandbox_permissions: \"require_escalated\"' notes"}},
          json{{"cmd", "echo sandbox_permissions: 'require_escalated'"}},
          json{{"options", {{"sandbox_permissions", "require_escalated"}}}},
          json{{"sandbox_permissions", "REQUIRE_ESCALATED"}}, json("not json: require_escalated"),
          json(R"({"sandbox_permissions":"require_escalated")")}) {
        SCOPED_TRACE(arguments.dump());
        expectState(parse(started(0) + commandCall(1, "exec_command", arguments, "c1")), LightState::working,
                    false);
    }
}

// The older detectors read a function call's arguments where it has no "input".
TEST(SessionReaderParse, OlderDetectorsReadArgumentsToo) {
    const std::string patch = "*** Begin Patch\n*** Delete File: old.txt\n*** End Patch\n";
    expectState(parse(started(0) + commandCall(1, "apply_patch", {{"input", patch}}, "p1")),
                LightState::waiting, true);
    expectState(parse(started(0) + commandCall(1, "exec", "sandbox_permissions: 'require_escalated'", "e1")),
                LightState::waiting, true);
    expectState(
        parse(started(0) + commandCall(1, "request_user_input", {{"questions", json::array()}}, "u1")),
        LightState::waiting, true);
    // Today's client runs a patch through exec_command and applies it without asking.
    expectState(parse(started(0) + commandCall(1, "exec_command",
                                               {{"cmd", "apply_patch <<'EOF'\n" + patch + "EOF\n"}}, "p1")),
                LightState::working, false);
}

TEST(SessionReaderParse, TurnCompletedWithAnErrorFails) {
    const json failure = {
        {"type", "task_complete"},
        {"last_agent_message", nullptr},
        {"error", {{"message", "high demand"}, {"codex_error_info", "internal_server_error"}}}};
    TaskStatus task = parse(started(0) + event(5, failure));
    expectState(task, LightState::failed, false);
    EXPECT_EQ(task.lastTurnBoundaryAt, at(5));
    // The failure ends every wait of the turn, like task_failed.
    expectState(parse(started(0) + functionCall(1, "request_user_input", "c1") + event(5, failure)),
                LightState::failed, false);
    expectState(parse(started(0) + event(5, failure) + started(6)), LightState::working, false);

    for (const json& error : {json(nullptr), json("server_error"), json::array()}) {
        json payload = failure;
        payload["error"] = error;
        expectState(parse(started(0) + event(5, payload)), LightState::done, false);
    }
}

TEST(SessionReaderParse, NestedApprovalWaitsForItsCompletionNotItsOutput) {
    const std::string history = started(0) + call(1, "custom_tool_call", "exec", nestedCalendarInput, "n1");
    expectState(parse(history), LightState::waiting, true);
    expectState(parse(history + output(2, "n1", "custom_tool_call_output")), LightState::waiting, true);
    expectState(
        parse(history + output(2, "n1", "custom_tool_call_output") + itemCompleted(3, calendarCompletion)),
        LightState::working, false);

    json otherTool = calendarCompletion;
    otherTool["tool"] = "google_calendar_create_event";
    expectState(parse(history + itemCompleted(3, otherTool)), LightState::waiting, true);
    // The nested wait survives the end of the turn, and the completion still resolves it afterwards.
    expectState(parse(history + completed(2)), LightState::waiting, true);
    expectState(parse(history + completed(2) + itemCompleted(3, calendarCompletion)), LightState::working,
                false);
}

TEST(SessionReaderParse, NestedCompletionResolvesAllNestedWaitsButNoOthers) {
    const std::string twoNested = started(0) +
                                  call(1, "custom_tool_call", "exec", nestedCalendarInput, "n1") +
                                  call(2, "custom_tool_call", "exec", nestedCalendarInput, "n2");
    expectState(parse(twoNested + itemCompleted(3, calendarCompletion)), LightState::working, false);

    const std::string mixed = twoNested + functionCall(3, "request_user_input", "u1");
    expectState(parse(mixed + itemCompleted(4, calendarCompletion)), LightState::waiting, true);
    expectState(parse(mixed + itemCompleted(4, calendarCompletion) + output(5, "u1")), LightState::working,
                false);

    // A known completion with no nested wait open changes nothing.
    expectState(parse(started(0) + functionCall(1, "request_user_input", "u1") +
                      itemCompleted(2, calendarCompletion)),
                LightState::waiting, true);
    expectState(parse(started(0) + itemCompleted(2, calendarCompletion)), LightState::working, false);
}

TEST(SessionReaderParse, AsyncRequestIgnoresItsCallIdUntilTheNextTurn) {
    const std::string history = started(0) + functionCall(1, "request_user_input_async", "a1");
    expectState(parse(history + output(2, "a1")), LightState::waiting, true);
    expectState(parse(history + output(2, "async-unresolved")), LightState::working, false);
    expectState(parse(history + completed(3)), LightState::waiting, true);
    expectState(parse(history + completed(3) + started(4)), LightState::working, false);
}

TEST(SessionReaderParse, CallWithoutIdIsUncorrelated) {
    const std::string history = started(0) + functionCall(1, "request_user_input", nullptr);
    expectState(parse(history + output(2, "c1")), LightState::waiting, true);
    expectState(parse(history + output(2, "uncorrelated")), LightState::working, false);
    // A call id of another JSON type counts as absent.
    expectState(parse(started(0) + functionCall(1, "request_user_input", 5) + output(2, "uncorrelated")),
                LightState::working, false);
}

TEST(SessionReaderParse, PlanItemWaitsUntilTheNextTurnStarts) {
    const std::string history = started(0) + itemCompleted(1, {{"type", "Plan"}, {"text", "1. x"}});
    expectState(parse(history), LightState::waiting, true);
    expectState(parse(history + completed(2)), LightState::waiting, true);
    expectState(parse(history + completed(2) + started(3) + completed(4)), LightState::done, false);
    expectState(parse(history + event(2, {{"type", "turn_aborted"}})), LightState::done, false);
    expectState(parse(started(0) + itemCompleted(1, {{"type", "plan"}})), LightState::working, false);
    expectState(parse(started(0) + event(1, {{"type", "item_completed"}, {"item", "Plan"}})),
                LightState::working, false);
}

TEST(SessionReaderParse, UnansweredWaitSurvivesCompletionAndEndsAtTheNextBoundary) {
    const std::string history = started(0) + functionCall(1, "request_user_input", "c1") + completed(2);
    for (const std::string& boundary :
         {started(3), event(3, {{"type", "turn_aborted"}}), event(3, {{"type", "task_failed"}})}) {
        const TaskStatus task = parse(history + boundary + completed(4));
        expectState(task, LightState::done, false);
        EXPECT_EQ(task.lastTurnBoundaryAt, at(4));
    }
    // Still waiting in the next turn when it is never answered.
    expectState(parse(history + completed(5)), LightState::waiting, true);
}

TEST(SessionReaderParse, UpdatedAtFollowsEveryAcceptedLineAndNeverGoesBack) {
    std::string history = codexLine(base + 10, "session_meta", {{"id", "x"}});
    EXPECT_EQ(parse(history).updatedAt, at(10));
    EXPECT_EQ(parse(history).state, LightState::unknown);
    history += started(5) + codexLine(base + 12, "turn_context", json::object());
    TaskStatus task = parse(history);
    EXPECT_EQ(task.updatedAt, at(12));
    EXPECT_EQ(task.lastTurnBoundaryAt, at(5));
    // A whole-second timestamp and a fractional one both count.
    task = parse(codexLine("2026-03-01T09:30:20Z", "x", json::object()) +
                 codexLine("2026-03-01T09:30:20.5Z", "x", json::object()));
    EXPECT_EQ(task.updatedAt, Date::fromUnix(base + 20.5));
}

TEST(SessionReaderParse, LinesThatDoNotQualifyAreIgnoredAltogether) {
    const std::string good = started(0);
    const std::vector<std::string> rejected = {
        R"({"timestamp":"2026-03-01T09:31:00Z","type":"event_msg","payload":"task_complete"})",
        R"({"timestamp":"2026-03-01T09:31:00Z","type":"event_msg"})",
        R"({"timestamp":"2026-03-01T09:31:00","type":"event_msg","payload":{"type":"task_complete"}})",
        R"({"timestamp":"yesterday","type":"event_msg","payload":{"type":"task_complete"}})",
        R"({"timestamp":1772357460,"type":"event_msg","payload":{"type":"task_complete"}})",
        R"({"type":"event_msg","payload":{"type":"task_complete"}})",
        R"([{"timestamp":"2026-03-01T09:31:00Z","type":"event_msg","payload":{"type":"task_complete"}}])",
        R"({"timestamp":"2026-03-01T09:31:00Z","type":"event_msg","payload":{"type":"task_complete"}} x)",
        R"({"timestamp":"2026-03-01T09:31:00Z","type":"event_msg","payload":{"type":"task_complete"})",
        "{\"timestamp\":\"2026-03-01T09:31:00Z\",\"type\":\"event_msg\",\"payload\":{\"type\":\"task_"
        "complete\","
        "\"last_agent_message\":\"\xC3\x28\"}}",
        R"("2026-03-01T09:31:00Z")",
    };
    for (const std::string& line : rejected) {
        const TaskStatus task = parse(good + line + "\n");
        EXPECT_EQ(task.state, LightState::working) << line;
        EXPECT_EQ(task.updatedAt, at(0)) << line;
    }
}

TEST(SessionReaderParse, OverDeepLineIsSkipped) {
    const std::string deep = std::string(300, '[') + std::string(300, ']');
    const std::string line = R"({"timestamp":"2026-03-01T09:31:00Z","type":"event_msg","payload":{"type":)"
                             R"("task_complete","extra":)" +
                             deep + "}}\n";
    const TaskStatus task = parse(started(0) + line);
    EXPECT_EQ(task.state, LightState::working);
    EXPECT_EQ(task.updatedAt, at(0));
}

TEST(SessionReaderParse, WindowThatBeginsInsideALineSkipsThePiece) {
    const std::string history =
        started(0) + event(1, {{"type", "task_complete"}, {"info", {{"type", "task_failed"}, {"x", 1}}}});
    // Cut the complete line in two: its second half begins with the nested object.
    const std::size_t cut = history.find(R"({"type":"task_failed")");
    ASSERT_NE(cut, std::string::npos);
    const TaskStatus task = parse(std::string_view(history).substr(cut));
    EXPECT_EQ(task.state, LightState::unknown);
    EXPECT_EQ(task.updatedAt, Date::distantPast());
}

TEST(SessionReaderParse, TextKeysOfAnotherTypeCountAsAbsent) {
    expectState(parse(started(0) + item(1, {{"type", "function_call"}, {"name", 5}, {"call_id", "c1"}})),
                LightState::working, false);
    expectState(parse(started(0) + codexLine(base + 1, "event_msg", {{"type", 7}})), LightState::working,
                false);
    const TaskStatus task =
        parse(R"({"timestamp":"2026-03-01T09:30:01Z","type":3,"payload":{"type":"reasoning"}})");
    EXPECT_EQ(task.state, LightState::unknown);
    EXPECT_EQ(task.updatedAt, at(1));
}

TEST(SessionReaderParse, LargeGeneratedHistory) {
    const testing::GeneratedHistory history =
        testing::generateCodexHistory(3 * 1024 * 1024, "019c8bfe-ec25-79e0-97d7-bda6a9c575ff", base);
    ASSERT_GT(history.bytes.size(), 3u * 1024 * 1024);
    TaskStatus task = parse(history.bytes);
    expectState(task, LightState::done, false);
    EXPECT_EQ(task.updatedAt, Date::fromUnix(history.lastLineTime));
    EXPECT_EQ(task.lastTurnBoundaryAt, Date::fromUnix(history.lastBoundaryTime));

    // A question left open at the end of the same long history.
    const std::string open =
        history.bytes + functionCall(100'000, "request_user_input", "q") + completed(100'001);
    task = parse(open);
    expectState(task, LightState::waiting, true);
    EXPECT_EQ(task.updatedAt, at(100'001));
}

} // namespace
} // namespace quorvel
