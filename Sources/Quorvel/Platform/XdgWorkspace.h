#pragma once

#include "Platform/Workspace.h"

#include <QString>
#include <chrono>
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
    explicit XdgWorkspace(std::chrono::milliseconds launchGrace = std::chrono::seconds(5),
                          std::chrono::milliseconds queryTimeLimit = std::chrono::seconds(10));

    // Succeeds when `xdg-mime query default x-scheme-handler/SCHEME` names a desktop entry and
    // `xdg-open URL` then exits with status 0 (or is still running after the grace time).
    void openURL(const QString& url, Completion done) override;
    // `gio launch ENTRY` for a desktop entry when gio is installed, else the program started detached.
    void openApplication(const OrcaInstallation& application, Completion done) override;

    // The link's scheme in lower case ("claude" for "claude://…"); none when the text does not start
    // with one (letter, then letters, digits, "+", "-" or ".", then ":").
    static std::optional<QString> schemeOf(const QString& url);

private:
    std::chrono::milliseconds launchGrace_;
    std::chrono::milliseconds queryTimeLimit_;
};

} // namespace quorvel
