#pragma once

#include "Model/LightState.h"
#include "Support/Date.h"

#include <nlohmann/json_fwd.hpp>
#include <simdjson.h>
#include <string>

namespace quorvel {

// The latest hook-derived state of one Claude Code session.
struct ClaudeHookRecord {
    std::string sessionID;
    LightState state = LightState::unknown;
    Date updatedAt;
    std::string cwd;
    std::string transcriptPath;
    bool confirmedAttentionPending = false;

    bool operator==(const ClaudeHookRecord&) const = default;

    // The six keys; the date as whole-second ISO-8601 text in UTC.
    nlohmann::json toJson() const;
    // All six keys are required; throws JsonDecodeError.
    static ClaudeHookRecord fromJson(simdjson::dom::object object);
};

} // namespace quorvel
