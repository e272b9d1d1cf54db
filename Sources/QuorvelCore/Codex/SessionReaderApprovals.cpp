#include "Codex/SessionReader.h"
#include "Support/Json.h"
#include "Support/Unicode.h"

#include <array>

namespace quorvel::SessionReader {

namespace {

struct NestedApproval {
    std::string_view inputMarker;
    std::string_view server;
    std::string_view tool;
};

constexpr std::array<NestedApproval, 2> knownNestedApprovals{{
    {"tools.mcp__openai_artifact_template_picker__choose_artifact_template",
     "openai_artifact_template_picker", "choose_artifact_template"},
    {"tools.mcp__codex_apps__google_calendar_create_event", "codex_apps", "google_calendar.create_event"},
}};

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool consume(std::string_view& text, std::string_view expected) {
    if (!text.starts_with(expected))
        return false;
    text.remove_prefix(expected.size());
    return true;
}

bool consumeQuote(std::string_view& text) {
    if (text.empty() || !isQuote(text.front()))
        return false;
    text.remove_prefix(1);
    return true;
}

// What follows "sandbox_permissions" in a match: an optional quote, white space, a colon, white
// space, then the quoted value require_escalated. Every step is forced, so no backtracking is needed.
bool escalationFollows(std::string_view rest) {
    consumeQuote(rest);
    rest = Unicode::trimmedStart(rest);
    if (!consume(rest, ":"))
        return false;
    rest = Unicode::trimmedStart(rest);
    return consumeQuote(rest) && consume(rest, "require_escalated") && consumeQuote(rest);
}

} // namespace

bool requestsEscalatedPermission(std::optional<std::string_view> input) {
    if (!input)
        return false;
    constexpr std::string_view key = "sandbox_permissions";
    for (std::size_t at = input->find(key); at != std::string_view::npos; at = input->find(key, at + 1)) {
        if (escalationFollows(input->substr(at + key.size())))
            return true;
    }
    return false;
}

bool requestsEscalatedSandbox(std::optional<std::string_view> arguments) {
    if (!arguments || arguments->find("require_escalated") == std::string_view::npos)
        return false;
    JsonParser parser;
    const std::optional<simdjson::dom::object> object = parser.tryParseObject(*arguments);
    return object && JsonValue::string(*object, "sandbox_permissions") == "require_escalated";
}

bool requestsKnownNestedApproval(std::optional<std::string_view> input) {
    if (!input)
        return false;
    for (const NestedApproval& approval : knownNestedApprovals) {
        if (input->find(approval.inputMarker) != std::string_view::npos)
            return true;
    }
    return false;
}

bool requestsFileChangeApproval(std::string_view name, std::optional<std::string_view> input) {
    if (!input || input->find("*** Delete File:") == std::string_view::npos)
        return false;
    if (name == "apply_patch")
        return true;
    return name == "exec" && input->find("tools.apply_patch") != std::string_view::npos;
}

bool isKnownNestedApprovalCompletion(std::optional<simdjson::dom::object> item) {
    if (!item || JsonValue::string(*item, "type") != "McpToolCall")
        return false;
    const auto server = JsonValue::string(*item, "server");
    const auto tool = JsonValue::string(*item, "tool");
    if (!server || !tool)
        return false;
    for (const NestedApproval& approval : knownNestedApprovals) {
        if (*server == approval.server && *tool == approval.tool)
            return true;
    }
    return false;
}

} // namespace quorvel::SessionReader
