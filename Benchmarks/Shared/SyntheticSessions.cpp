#include "SyntheticSessions.h"

#include "CodexHistoryGenerator.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace quorvel::bench {

std::string SyntheticSessions::uuid() {
    static constexpr char hex[] = "0123456789abcdef";
    std::string text(36, '-');
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != 8 && i != 13 && i != 18 && i != 23)
            text[i] = hex[random_() % 16];
    return text;
}

std::string SyntheticSessions::isoTime(double unixSeconds) const {
    return testing::isoTimestamp(unixSeconds);
}

std::string SyntheticSessions::filler(std::size_t length) {
    static constexpr std::string_view words[] = {"refactor ", "the ",   "parser ", "so ",
                                                 "that ",     "tests ", "cover ",  "edge ",
                                                 "cases ",    "while ", "build ",  "passes "};
    std::string text;
    while (text.size() < length)
        text += words[random_() % std::size(words)];
    text.resize(length);
    return text;
}

std::string SyntheticSessions::claudeActivity(const std::string& sessionID, const std::string& cwd,
                                              double unix) {
    nlohmann::json base = {{"sessionId", sessionID}, {"cwd", cwd},           {"version", "2.1.38"},
                           {"gitBranch", "main"},    {"isSidechain", false}, {"userType", "external"}};
    auto line = [&](nlohmann::json object, double at) {
        object.update(base);
        object["timestamp"] = isoTime(at);
        object["uuid"] = uuid();
        return object.dump() + "\n";
    };
    std::string text;
    text += line({{"type", "user"}, {"message", {{"role", "user"}, {"content", filler(200)}}}}, unix);
    text += line({{"type", "progress"}, {"data", {{"type", "hook_progress"}, {"hookEvent", "PostToolUse"}}}},
                 unix + 0.1);
    text += line(
        {{"type", "assistant"},
         {"message",
          {{"role", "assistant"},
           {"stop_reason", "tool_use"},
           {"content", {{{"type", "tool_use"}, {"name", "Bash"}, {"input", {{"command", filler(80)}}}}}}}}},
        unix + 0.2);
    return text;
}

std::string SyntheticSessions::claudeTranscript(const std::string& sessionID, const std::string& cwd,
                                                std::uint64_t bytes, double endUnix) {
    std::string text;
    double at = endUnix - 3600;
    const double step = 3600.0 / std::max<std::uint64_t>(1, bytes / 1500);
    text += nlohmann::json({{"type", "queue-operation"},
                            {"operation", "dequeue"},
                            {"sessionId", sessionID},
                            {"timestamp", isoTime(at)}})
                .dump() +
            "\n";
    while (text.size() < bytes) {
        text += claudeActivity(sessionID, cwd, at);
        text += nlohmann::json({{"type", "system"},
                                {"subtype", "local_command"},
                                {"sessionId", sessionID},
                                {"content", filler(300)},
                                {"timestamp", isoTime(at + 0.3)}})
                    .dump() +
                "\n";
        text +=
            nlohmann::json(
                {{"type", "user"},
                 {"sessionId", sessionID},
                 {"cwd", cwd},
                 {"timestamp", isoTime(at + 0.4)},
                 {"message",
                  {{"role", "user"}, {"content", {{{"type", "tool_result"}, {"content", filler(700)}}}}}}})
                .dump() +
            "\n";
        at = std::min(at + step, endUnix - 1);
    }
    text += nlohmann::json({{"type", "assistant"},
                            {"sessionId", sessionID},
                            {"cwd", cwd},
                            {"timestamp", isoTime(endUnix)},
                            {"message",
                             {{"role", "assistant"},
                              {"stop_reason", "end_turn"},
                              {"content", {{{"type", "text"}, {"text", filler(400)}}}}}}})
                .dump() +
            "\n";
    return text;
}

} // namespace quorvel::bench
