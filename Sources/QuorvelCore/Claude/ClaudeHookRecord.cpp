#include "Claude/ClaudeHookRecord.h"

#include "Support/Json.h"

namespace quorvel {

nlohmann::json ClaudeHookRecord::toJson() const {
    return nlohmann::json{{"sessionID", sessionID},
                          {"state", LightStates::rawValue(state)},
                          {"updatedAt", Iso8601::formatWholeSeconds(updatedAt)},
                          {"cwd", cwd},
                          {"transcriptPath", transcriptPath},
                          {"confirmedAttentionPending", confirmedAttentionPending}};
}

ClaudeHookRecord ClaudeHookRecord::fromJson(simdjson::dom::object object) {
    ClaudeHookRecord record;
    record.sessionID = std::string(JsonValue::requiredString(object, "sessionID"));
    const std::string_view stateText = JsonValue::requiredString(object, "state");
    const std::optional<LightState> state = LightStates::fromRawValue(stateText);
    if (!state)
        throw JsonDecodeError("unknown state \"" + std::string(stateText) + "\"");
    record.state = *state;
    const std::optional<Date> updatedAt =
        Iso8601::parseWholeSeconds(JsonValue::requiredString(object, "updatedAt"));
    if (!updatedAt)
        throw JsonDecodeError("\"updatedAt\" is not a whole-second ISO-8601 date");
    record.updatedAt = *updatedAt;
    record.cwd = std::string(JsonValue::requiredString(object, "cwd"));
    record.transcriptPath = std::string(JsonValue::requiredString(object, "transcriptPath"));
    record.confirmedAttentionPending = JsonValue::requiredBoolean(object, "confirmedAttentionPending");
    return record;
}

} // namespace quorvel
