#pragma once

#include "Orca/OrcaInstallation.h"
#include "Platform/Workspace.h"

#include <QStringList>
#include <vector>

namespace quorvel::testing {

// Records what the code under test asks to open and answers at once with the configured outcome.
class RecordingWorkspace final : public Workspace {
public:
    void openURL(const QString& url, Completion done) override {
        openedURLs.append(url);
        done(opensURLs);
    }
    void openApplication(const OrcaInstallation& application, Completion done) override {
        openedApplications.push_back(application);
        done(opensApplications);
    }

    bool opensURLs = true;
    bool opensApplications = true;
    QStringList openedURLs;
    std::vector<OrcaInstallation> openedApplications;
};

} // namespace quorvel::testing
