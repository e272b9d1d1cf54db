#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace quorvel {

struct OrcaInstallation;

// Opens links and applications the way the desktop does. Never blocks the caller: each call starts the
// work and reports its outcome later, on the main thread.
class Workspace {
public:
    using Completion = std::function<void(bool succeeded)>;
    // What became of a link: opened; not opened because no handler is registered for its scheme; or
    // not opened by the handler.
    enum class LinkOutcome { opened, noHandler, failed };
    using LinkCompletion = std::function<void(LinkOutcome)>;

    virtual ~Workspace() = default;

    // Opens a link with the handler registered for its scheme, looked up afresh.
    virtual void openLink(const QString& url, LinkCompletion done) = 0;
    // openLink, told only whether the link was opened.
    void openURL(const QString& url, Completion done);
    // Starts the application (from its desktop entry, or its configured program) and brings it to the
    // front; true when it started.
    virtual void openApplication(const OrcaInstallation& application, Completion done) = 0;

    // Whether a handler is registered for the link's scheme, as last found out; none until it is known.
    // Never waits: a missing or old answer is looked up in the background, and an answer that differs
    // from the one before is told to the callback of onHandlersChanged, on the main thread.
    virtual std::optional<bool> hasHandler(const QString& url) = 0;
    void onHandlersChanged(std::function<void()> changed) { handlersChanged_ = std::move(changed); }

protected:
    void handlersChanged() const {
        if (handlersChanged_)
            handlersChanged_();
    }

private:
    std::function<void()> handlersChanged_;
};

} // namespace quorvel
