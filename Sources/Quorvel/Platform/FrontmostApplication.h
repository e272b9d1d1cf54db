#pragma once

#include <QString>
#include <optional>

namespace quorvel {

// The application that owns the focused window, named by the identifiers the rest of the program uses
// ("com.anthropic.claudefordesktop" for the Claude desktop app). None when it cannot be told.
class FrontmostApplication {
public:
    virtual ~FrontmostApplication() = default;
    virtual std::optional<QString> bundleIdentifier() const = 0;
};

} // namespace quorvel
