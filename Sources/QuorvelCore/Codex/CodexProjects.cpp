#include "Codex/CodexProjects.h"

#include "Support/Json.h"
#include "Support/Unicode.h"

#include <optional>

namespace quorvel::CodexProjects {
namespace {

struct Assignment {
    std::string projectKind;
    std::string projectId;
};

// An optional member holding an object of objects; absent and null give nothing.
std::optional<simdjson::dom::object> optionalObject(simdjson::dom::object document, std::string_view key) {
    if (!JsonValue::has(document, key))
        return std::nullopt;
    auto member = JsonValue::object(document, key);
    if (!member)
        throw JsonDecodeError(std::string(key) + " is not an object");
    return member;
}

simdjson::dom::object entryObject(simdjson::dom::element value) {
    simdjson::dom::object entry;
    if (value.get_object().get(entry) != simdjson::SUCCESS)
        throw JsonDecodeError("entry is not an object");
    return entry;
}

std::map<std::string, Assignment> decodeAssignments(std::optional<simdjson::dom::object> member) {
    std::map<std::string, Assignment> assignments;
    if (!member)
        return assignments;
    for (auto field : *member) {
        auto entry = entryObject(field.value);
        assignments[std::string(field.key)] = {std::string(JsonValue::requiredString(entry, "projectKind")),
                                               std::string(JsonValue::requiredString(entry, "projectId"))};
    }
    return assignments;
}

std::map<std::string, std::string> decodeProjectNames(std::optional<simdjson::dom::object> member) {
    std::map<std::string, std::string> names;
    if (!member)
        return names;
    for (auto field : *member)
        names[std::string(field.key)] =
            std::string(JsonValue::requiredString(entryObject(field.value), "name"));
    return names;
}

} // namespace

std::map<std::string, std::string> decode(std::string_view globalStateBytes) {
    JsonParser parser;
    auto document = JsonValue::requireObject(parser.parse(globalStateBytes));
    auto assignments = decodeAssignments(optionalObject(document, "thread-project-assignments"));
    auto projects = decodeProjectNames(optionalObject(document, "local-projects"));

    std::map<std::string, std::string> result;
    for (const auto& [threadID, assignment] : assignments) {
        if (assignment.projectKind != "local")
            continue;
        auto project = projects.find(assignment.projectId);
        if (project == projects.end())
            continue;
        auto name = Unicode::trimmed(project->second);
        if (name.empty())
            continue;
        result[threadID] = Unicode::graphemePrefix(name, maxNameLength);
    }
    return result;
}

} // namespace quorvel::CodexProjects
