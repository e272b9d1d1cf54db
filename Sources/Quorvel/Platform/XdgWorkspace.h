#pragma once

#include "Platform/Workspace.h"

namespace quorvel {

// Opens links through xdg-open (with a handler registered for the link's scheme) and applications from
// their desktop entries, as processes whose outcome arrives on the main thread.
class XdgWorkspace final : public Workspace {
public:
    void openURL(const QString& url, Completion done) override;
    void openApplication(const OrcaInstallation& application, Completion done) override;
};

} // namespace quorvel
