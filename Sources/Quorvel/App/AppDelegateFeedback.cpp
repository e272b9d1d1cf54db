#include "App/AppDelegate.h"
#include "Platform/AlertPresenter.h"
#include "Platform/SettingsStore.h"
#include "Services/InstallationIdentifier.h"

#include <QPointer>
#include <QTimer>

// The issue-report window and the report it sends.
namespace quorvel {

void AppDelegate::showFeedback() {
    if (!feedbackController) {
        feedbackController =
            std::make_unique<FeedbackWindowController>(issueReportSubmitter(), *platform_.alerts);
        const BuildInfo& build = platform_.buildInfo;
        if (const auto problem =
                BugReportClient::configurationError(QUrl(build.supportURL), build.supportToken))
            feedbackController->setServiceUnavailable(problem->description());
    }
    feedbackController->showWindow();
}

FeedbackWindowController::SubmitReport AppDelegate::issueReportSubmitter() {
    QPointer<AppDelegate> self(this);
    return [self](const QString& provider, const QString& details,
                  const PreparedFeedbackScreenshot& screenshot, BugReportCompletion done) {
        if (self)
            self->submitIssueReport(provider, details, screenshot, std::move(done));
        else
            done(BugReportSubmissionError::unavailable());
    };
}

void AppDelegate::submitIssueReport(const QString& provider, const QString& details,
                                    const PreparedFeedbackScreenshot& screenshot, BugReportCompletion done) {
    const BuildInfo& build = platform_.buildInfo;
    std::optional<BugReportClient> client;
    try {
        // With no address configured this fails before anything goes on the network.
        client.emplace(QUrl(build.supportURL));
    } catch (const BugReportSubmissionError& error) {
        QTimer::singleShot(0, this, [done = std::move(done), error] { done(error); });
        return;
    }
    client->submit(build.supportToken, InstallationIdentifier::current(*platform_.settings), provider,
                   details, build.shortVersion, screenshot, std::move(done));
}

} // namespace quorvel
