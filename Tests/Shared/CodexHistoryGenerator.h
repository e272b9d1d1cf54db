#pragma once

// Builds Codex session histories with the line shapes Codex writes, for tests and benchmarks.

#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace quorvel::testing {

// 2026-03-01T09:30:00.123Z
inline std::string isoTimestamp(double unixSeconds) {
    const double whole = std::floor(unixSeconds);
    const auto seconds = static_cast<std::time_t>(whole);
    const int milliseconds = static_cast<int>(std::lround((unixSeconds - whole) * 1000)) % 1000;
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, milliseconds);
    return text;
}

// One history line, line feed included.
inline std::string codexLine(std::string_view timestamp, std::string_view type,
                             const nlohmann::json& payload) {
    nlohmann::json line = nlohmann::json::object();
    line["timestamp"] = timestamp;
    line["type"] = type;
    line["payload"] = payload;
    return line.dump() + "\n";
}

inline std::string codexLine(double unixSeconds, std::string_view type, const nlohmann::json& payload) {
    return codexLine(isoTimestamp(unixSeconds), type, payload);
}

inline std::string sessionMetaLine(double unixSeconds, std::string_view sessionID) {
    return codexLine(unixSeconds, "session_meta",
                     {{"id", sessionID},
                      {"timestamp", isoTimestamp(unixSeconds)},
                      {"cwd", "/home/user/project"},
                      {"originator", "codex_cli_rs"},
                      {"cli_version", "0.120.0"},
                      {"base_instructions", {{"text", std::string(6000, 'i')}}}});
}

struct GeneratedHistory {
    std::string bytes;
    double lastLineTime = 0;     // unix seconds of the last line
    double lastBoundaryTime = 0; // unix seconds of the last turn boundary
    int turns = 0;
};

// Whole turns until the history holds at least `minimumBytes`. Each turn: task_started,
// turn_context, user message, reasoning, tool calls with their outputs, token counts, an agent
// message and task_complete; every fifth turn is aborted instead. Lines are 0.25 s apart.
inline GeneratedHistory generateCodexHistory(std::size_t minimumBytes, std::string_view sessionID,
                                             double startUnixSeconds) {
    GeneratedHistory history;
    double time = startUnixSeconds;
    const auto add = [&](std::string_view type, const nlohmann::json& payload) {
        history.bytes += codexLine(time, type, payload);
        history.lastLineTime = time;
        time += 0.25;
    };
    history.bytes = sessionMetaLine(time, sessionID);
    time += 0.25;
    while (history.bytes.size() < minimumBytes) {
        const int turn = history.turns++;
        const std::string turnID = "turn-" + std::to_string(turn);
        history.lastBoundaryTime = time;
        add("event_msg", {{"type", "task_started"}, {"turn_id", turnID}, {"model_context_window", 258400}});
        add("turn_context", {{"turn_id", turnID},
                             {"cwd", "/home/user/project"},
                             {"approval_policy", "on-request"},
                             {"sandbox_policy", {{"type", "workspace-write"}}},
                             {"model", "gpt-5-codex"}});
        add("response_item",
            {{"type", "message"},
             {"role", "user"},
             {"content", {{{"type", "input_text"}, {"text", "Please fix test " + turnID}}}}});
        add("event_msg", {{"type", "user_message"},
                          {"message", "Please fix test " + turnID},
                          {"images", nlohmann::json::array()}});
        for (int call = 0; call < 3; ++call) {
            const std::string callID = "call_" + std::to_string(turn) + "_" + std::to_string(call);
            add("response_item",
                {{"type", "reasoning"},
                 {"summary", {{{"type", "summary_text"}, {"text", "**Looking at the tests**"}}}},
                 {"encrypted_content", std::string(1200, 'e')}});
            add("event_msg", {{"type", "agent_reasoning"}, {"text", "**Looking at the tests**"}});
            add("response_item",
                {{"type", "function_call"},
                 {"name", "exec_command"},
                 {"arguments", R"({"cmd":"rg -n \"fixme\" src","workdir":"/home/user/project"})"},
                 {"call_id", callID}});
            add("response_item",
                {{"type", "function_call_output"},
                 {"call_id", callID},
                 {"output", "Chunk ID: 1\nWall time: 0.1 seconds\n" + std::string(1800, 'o')}});
            add("event_msg",
                {{"type", "token_count"},
                 {"info", {{"total_token_usage", {{"input_tokens", 12000 + turn}, {"output_tokens", 300}}}}},
                 {"rate_limits", {{"primary", {{"used_percent", 3.0}, {"window_minutes", 300}}}}}});
        }
        add("response_item",
            {{"type", "custom_tool_call"},
             {"status", "completed"},
             {"call_id", "patch_" + std::to_string(turn)},
             {"name", "apply_patch"},
             {"input", "*** Begin Patch\n*** Update File: src/a.cpp\n@@\n-old\n+new\n*** End Patch\n"}});
        add("response_item",
            {{"type", "custom_tool_call_output"},
             {"call_id", "patch_" + std::to_string(turn)},
             {"output", R"({"output":"Success. Updated the following files:\nM src/a.cpp\n"})"}});
        add("event_msg", {{"type", "agent_message"}, {"message", "I fixed " + turnID + "."}});
        add("response_item", {{"type", "message"},
                              {"role", "assistant"},
                              {"content", {{{"type", "output_text"}, {"text", "I fixed it."}}}}});
        history.lastBoundaryTime = time;
        if (turn % 5 == 4)
            add("event_msg", {{"type", "turn_aborted"}, {"turn_id", turnID}, {"reason", "interrupted"}});
        else
            add("event_msg",
                {{"type", "task_complete"}, {"turn_id", turnID}, {"last_agent_message", "I fixed it."}});
    }
    return history;
}

} // namespace quorvel::testing
