#include "Model/TaskStatus.h"

#include "Model/StatusError.h"
#include "Support/Json.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

namespace quorvel {
namespace {

constexpr std::size_t maxNameCharacters = 160;
constexpr std::string_view codexPrefix = "codex-";
constexpr std::string_view claudePrefix = "claude-";
constexpr std::string_view desktopSessionPrefix = "local_";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Percent-encodes everything but the characters a URL query may hold as they are.
std::string queryEncoded(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string result;
    for (unsigned char c : text) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            std::string_view("-._~!$'()*,;:@/?").find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            result.push_back(static_cast<char>(c));
        } else {
            result.push_back('%');
            result.push_back(hex[c >> 4]);
            result.push_back(hex[c & 15]);
        }
    }
    return result;
}

std::optional<Date> optionalDate(simdjson::dom::object object, std::string_view key) {
    if (auto seconds = JsonValue::optionalNumber(object, key))
        return Date{*seconds};
    return std::nullopt;
}

std::optional<std::string> optionalText(simdjson::dom::object object, std::string_view key) {
    if (auto text = JsonValue::optionalString(object, key))
        return std::string(*text);
    return std::nullopt;
}

} // namespace

std::string TaskStatus::shownName(std::string_view name) {
    return Unicode::graphemePrefix(name, maxNameCharacters);
}

TaskStatus TaskStatus::make(std::string id, std::string_view name, LightState state, Date updatedAt,
                            std::string source) {
    TaskStatus task;
    task.id = std::move(id);
    task.name = shownName(name);
    task.state = state;
    task.updatedAt = updatedAt;
    task.source = std::move(source);
    return task;
}

TaskProvider TaskStatus::provider() const {
    if (source == codexHistorySource && startsWith(id, codexPrefix))
        return TaskProvider::codex;
    if (source == claudeCodeSource && startsWith(id, claudePrefix))
        return TaskProvider::claude;
    return TaskProvider::local;
}

std::optional<std::string> TaskStatus::codexThreadID() const {
    if (provider() != TaskProvider::codex)
        return std::nullopt;
    const std::string_view rest = std::string_view(id).substr(codexPrefix.size());
    if (!Uuid::isUuidText(rest))
        return std::nullopt;
    return Uuid::lowercased(rest);
}

std::optional<std::string> TaskStatus::taskURL() const {
    switch (provider()) {
    case TaskProvider::local:
        return std::nullopt;
    case TaskProvider::codex: {
        const std::string_view rest = std::string_view(id).substr(codexPrefix.size());
        if (!Uuid::isUuidText(rest))
            return std::nullopt;
        return "codex://threads/" + std::string(rest);
    }
    case TaskProvider::claude: {
        if (!providerSessionID || !startsWith(*providerSessionID, desktopSessionPrefix) ||
            !Uuid::isUuidText(std::string_view(*providerSessionID).substr(desktopSessionPrefix.size())))
            return std::nullopt;
        return "claude://code/continue?session=" + queryEncoded(*providerSessionID);
    }
    }
    return std::nullopt;
}

std::optional<std::string> TaskStatus::claudeSessionID() const {
    if (provider() != TaskProvider::claude)
        return std::nullopt;
    const std::string_view rest = std::string_view(id).substr(claudePrefix.size());
    if (!Uuid::isUuidText(rest))
        return std::nullopt;
    return std::string(rest);
}

nlohmann::json TaskStatus::toJson() const {
    nlohmann::json object = {{"id", id},
                             {"name", name},
                             {"state", LightStates::rawValue(state)},
                             {"updatedAt", updatedAt.seconds},
                             {"source", source}};
    if (projectName)
        object["projectName"] = *projectName;
    if (lastTurnBoundaryAt)
        object["lastTurnBoundaryAt"] = lastTurnBoundaryAt->seconds;
    if (confirmedAttentionPending)
        object["confirmedAttentionPending"] = *confirmedAttentionPending;
    if (providerSessionID)
        object["providerSessionID"] = *providerSessionID;
    if (providerSessionLastFocusedAt)
        object["providerSessionLastFocusedAt"] = providerSessionLastFocusedAt->seconds;
    if (isScheduled)
        object["isScheduled"] = *isScheduled;
    if (orcaSession)
        object["orcaSession"] = orcaSession->toJson();
    return object;
}

TaskStatus TaskStatus::fromJson(simdjson::dom::object object) {
    using namespace JsonValue;
    TaskStatus task;
    task.id = requiredString(object, "id");
    task.name = requiredString(object, "name");
    const auto state = LightStates::fromRawValue(requiredString(object, "state"));
    if (!state)
        throw JsonDecodeError("Cannot initialize LightState from invalid String value");
    task.state = *state;
    task.updatedAt = Date{requiredNumber(object, "updatedAt")};
    task.source = requiredString(object, "source");
    task.projectName = optionalText(object, "projectName");
    task.lastTurnBoundaryAt = optionalDate(object, "lastTurnBoundaryAt");
    task.confirmedAttentionPending = optionalBoolean(object, "confirmedAttentionPending");
    task.providerSessionID = optionalText(object, "providerSessionID");
    task.providerSessionLastFocusedAt = optionalDate(object, "providerSessionLastFocusedAt");
    task.isScheduled = optionalBoolean(object, "isScheduled");
    if (has(object, "orcaSession")) {
        auto reference = JsonValue::object(object, "orcaSession");
        if (!reference)
            throw JsonDecodeError("Wrong type for key \"orcaSession\"");
        task.orcaSession = OrcaSessionReference::fromJson(*reference);
    }
    return task;
}

} // namespace quorvel
