#pragma once

#include <optional>
#include <string_view>

namespace quorvel {

// Whether the Claude Code hooks are installed. Declaration order is the order of the cases.
enum class ClaudeIntegrationHealth { disabled, enabled, needsRepair };

namespace ClaudeIntegrationHealths {
constexpr std::string_view rawValue(ClaudeIntegrationHealth health) {
    switch (health) {
    case ClaudeIntegrationHealth::disabled:
        return "Disabled";
    case ClaudeIntegrationHealth::enabled:
        return "Enabled";
    case ClaudeIntegrationHealth::needsRepair:
        return "Needs repair";
    }
    return "";
}

constexpr std::optional<ClaudeIntegrationHealth> fromRawValue(std::string_view text) {
    for (auto health : {ClaudeIntegrationHealth::disabled, ClaudeIntegrationHealth::enabled,
                        ClaudeIntegrationHealth::needsRepair})
        if (rawValue(health) == text)
            return health;
    return std::nullopt;
}
} // namespace ClaudeIntegrationHealths

} // namespace quorvel
