#pragma once

#include "Support/Date.h"

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <simdjson.h>
#include <string>

namespace quorvel {

// The Orca pane in which one assistant session runs.
struct OrcaSessionReference {
    std::string provider;  // "claude" or "codex"
    std::string sessionID; // lower case
    std::string tabID;
    std::string leafID;
    std::string worktreeID;
    Date observedAt;
    std::optional<std::string> transcriptPath;

    // provider + "-" + the session id in lower case: the id of the task it belongs to.
    std::string taskID() const;

    bool operator==(const OrcaSessionReference&) const = default;

    // JSON object form; dates as seconds since 2001.
    nlohmann::json toJson() const;
    // Throws JsonDecodeError for missing or mistyped fields.
    static OrcaSessionReference fromJson(simdjson::dom::object object);
};

} // namespace quorvel
