#pragma once

#include "Model/StatusError.h"

#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

namespace quorvel::ClaudeIntegrationTesting {

// Settings as a user keeps them: their own hooks, permissions, environment, model and numbers that must
// come back exactly.
inline const std::string realShaped = R"json({
  "$schema": "https://json.schemastore.org/claude-code-settings.json",
  "model": "opus",
  "env": {"BASH_DEFAULT_TIMEOUT_MS": "600000", "DISABLE_TELEMETRY": "1"},
  "permissions": {
    "allow": ["Bash(npm run test:*)", "Read(~/.zshrc)", "WebFetch(domain:docs.example.org)"],
    "deny": ["Read(./.env)", "Read(./secrets/**)"],
    "defaultMode": "acceptEdits",
    "additionalDirectories": ["../shared-lib"]
  },
  "hooks": {
    "PreToolUse": [{"matcher": "Bash", "hooks": [{"type": "command", "command": "~/.claude/hooks/check-bash.sh", "timeout": 30}]}],
    "Stop": [{"hooks": [{"type": "command", "command": "paplay /usr/share/sounds/complete.oga"}]}],
    "Notification": [{"matcher": "", "hooks": [{"type": "command", "command": "notify-send 'Claude Code'"}]}]
  },
  "statusLine": {"type": "command", "command": "~/.claude/statusline.sh", "padding": 0},
  "cleanupPeriodDays": 30,
  "includeCoAuthoredBy": false,
  "feedbackSurveyState": {"lastShownTime": 1754089004345, "ratio": 0.25, "big": 18446744073709551615},
  "greeting": "caf\u00e9 \u2713"
})json";

// A settings file of at least `bytes` bytes of the user's own content, written compactly.
nlohmann::json large(std::size_t bytes);

inline void expectInvalidRecord(const std::function<void()>& call) {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const StatusError& error) {
        EXPECT_EQ(error, StatusError::invalidRecord());
    }
}

} // namespace quorvel::ClaudeIntegrationTesting
