#pragma once

#include "Platform/Workspace.h"

#include <QStringList>

namespace quorvel::testing {

// Remembers every link it is asked to open and opens none.
class RecordingWorkspace final : public Workspace {
public:
    void openURL(const QString& url, Completion done) override {
        openedURLs << url;
        if (done)
            done(true);
    }
    void openApplication(const OrcaInstallation&, Completion done) override {
        ++openedApplications;
        if (done)
            done(true);
    }

    QStringList openedURLs;
    int openedApplications = 0;
};

} // namespace quorvel::testing
