#pragma once

#include <QString>
#include <functional>

namespace quorvel {

struct OrcaInstallation;

// Opens links and applications the way the desktop does. Never blocks the caller: each call starts the
// work and reports its outcome later, on the main thread.
class Workspace {
public:
    using Completion = std::function<void(bool succeeded)>;

    virtual ~Workspace() = default;

    // Opens a link with the handler registered for its scheme; true only when a handler exists and it
    // accepted the link.
    virtual void openURL(const QString& url, Completion done) = 0;
    // Starts the application (from its desktop entry, or its configured program) and brings it to the
    // front; true when it started.
    virtual void openApplication(const OrcaInstallation& application, Completion done) = 0;
};

} // namespace quorvel
