#pragma once

#include "Model/LightState.h"
#include "Model/OrcaSessionReference.h"
#include "Support/Date.h"

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <simdjson.h>
#include <string>

namespace quorvel {

class TaskReadState;

inline constexpr std::string_view localStatusSource = "Local status";
inline constexpr std::string_view codexHistorySource = "Codex history \u00B7 experimental";
inline constexpr std::string_view claudeCodeSource = "Claude Code";

// One watched task as every part of the system sees it.
struct TaskStatus {
    std::string id;
    std::string name;
    LightState state = LightState::unknown;
    Date updatedAt;
    std::string source;
    std::optional<std::string> projectName;
    std::optional<Date> lastTurnBoundaryAt;
    std::optional<bool> confirmedAttentionPending;
    std::optional<std::string> providerSessionID;
    std::optional<Date> providerSessionLastFocusedAt;
    std::optional<bool> isScheduled;
    std::optional<OrcaSessionReference> orcaSession;

    // The first 160 grapheme clusters of a name, as the convenience constructor keeps it.
    static std::string shownName(std::string_view name);
    // Convenience constructor: keeps the first 160 grapheme clusters of the name.
    static TaskStatus make(std::string id, std::string_view name, LightState state, Date updatedAt,
                           std::string source);

    TaskProvider provider() const;

    // Links (desktop apps) and the Orca test.
    std::optional<std::string> codexThreadID() const;
    std::optional<std::string> taskURL() const;
    bool isOrcaTask() const { return orcaSession.has_value(); }
    // The UUID text after "claude-" of a Claude Code task.
    std::optional<std::string> claudeSessionID() const;

    // The state shown at `now` (Model/VisibleState.cpp).
    LightState visibleState(Date now, const TaskReadState& readState) const;

    bool operator==(const TaskStatus&) const = default;

    // JSON object form; dates as seconds since 2001, optional keys only when present.
    nlohmann::json toJson() const;
    // Throws JsonDecodeError for missing or mistyped fields.
    static TaskStatus fromJson(simdjson::dom::object object);
};

} // namespace quorvel
