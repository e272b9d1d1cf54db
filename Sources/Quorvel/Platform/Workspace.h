#pragma once

#include <QString>
#include <functional>

namespace quorvel {

// Opens links in the applications the user chose for them. Never blocks the caller.
class Workspace {
public:
    using Completion = std::function<void(bool opened)>;

    virtual ~Workspace() = default;

    // Opens a link with the handler registered for its scheme; `done` runs later on the main thread
    // with true only when a handler exists and it accepted the link.
    virtual void openURL(const QString& url, Completion done) = 0;
};

} // namespace quorvel
