#pragma once

#include "Platform/Workspace.h"

#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace quorvel {

// Opens links through xdg-open (with a handler registered for the link's scheme) and applications from
// their desktop entries, as processes whose outcome arrives on the main thread. The programs are looked
// up on PATH at each call.
class XdgWorkspace final : public Workspace {
public:
    // When xdg-open runs the handler itself (desktops it does not recognise) it returns only when the
    // handler quits; still running after `launchGrace` means the handler started, which counts as opened.
    // A handler query that takes longer than `queryTimeLimit` is stopped and counts as no handler.
    // hasHandler looks a scheme up again once its answer is `handlerAnswerLifetime` old.
    explicit XdgWorkspace(std::chrono::milliseconds launchGrace = std::chrono::seconds(5),
                          std::chrono::milliseconds queryTimeLimit = std::chrono::seconds(10),
                          std::chrono::milliseconds handlerAnswerLifetime = std::chrono::minutes(1));

    // Opened when `xdg-mime query default x-scheme-handler/SCHEME` names a desktop entry and
    // `xdg-open URL` then exits with status 0 (or is still running after the grace time); no handler
    // when the query names none.
    void openLink(const QString& url, LinkCompletion done) override;
    // `gio launch ENTRY` for a desktop entry when gio is installed, else the program started detached.
    void openApplication(const OrcaInstallation& application, Completion done) override;
    // The answer of the same query, kept per scheme; openLink's lookups renew it too.
    std::optional<bool> hasHandler(const QString& url) override;

    // The link's scheme in lower case ("claude" for "claude://…"); none when the text does not start
    // with one (letter, then letters, digits, "+", "-" or ".", then ":").
    static std::optional<QString> schemeOf(const QString& url);

private:
    struct HandlerAnswer {
        std::optional<bool> registered;
        std::chrono::steady_clock::time_point askedAt;
        bool asking = false;
    };
    using HandlerAnswers = std::map<QString, HandlerAnswer>;

    void askForHandler(const QString& scheme, std::function<void(bool registered)> then);
    void recordHandler(const QString& scheme, bool registered);

    std::chrono::milliseconds launchGrace_;
    std::chrono::milliseconds queryTimeLimit_;
    std::chrono::milliseconds handlerAnswerLifetime_;
    // Shared with the lookups under way, which drop their answer once the workspace is gone.
    std::shared_ptr<HandlerAnswers> handlers_ = std::make_shared<HandlerAnswers>();
};

} // namespace quorvel
