#pragma once

#include "Orca/OrcaInstallation.h"
#include "Platform/Workspace.h"

#include <QStringList>
#include <QUrl>
#include <map>
#include <optional>
#include <vector>

namespace quorvel::testing {

// Records what the code under test asks to open and answers at once with the configured outcome. Every
// scheme has a handler unless `handlers` says otherwise.
class RecordingWorkspace final : public Workspace {
public:
    void openLink(const QString& url, LinkCompletion done) override {
        openedURLs.append(url);
        if (answerFor(url) == false)
            done(LinkOutcome::noHandler);
        else
            done(opensURLs ? LinkOutcome::opened : LinkOutcome::failed);
    }
    void openApplication(const OrcaInstallation& application, Completion done) override {
        openedApplications.push_back(application);
        done(opensApplications);
    }
    std::optional<bool> hasHandler(const QString& url) override {
        handlerQueries.append(url);
        return answerFor(url);
    }
    // A new answer for a scheme, told as the desktop's workspace tells it.
    void answerHandler(const QString& scheme, std::optional<bool> registered) {
        handlers[scheme] = registered;
        handlersChanged();
    }

    bool opensURLs = true;
    bool opensApplications = true;
    std::map<QString, std::optional<bool>> handlers;
    QStringList openedURLs;
    QStringList handlerQueries;
    std::vector<OrcaInstallation> openedApplications;

private:
    std::optional<bool> answerFor(const QString& url) const {
        const auto found = handlers.find(QUrl(url).scheme());
        return found == handlers.end() ? std::optional(true) : found->second;
    }
};

} // namespace quorvel::testing
