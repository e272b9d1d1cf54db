#include "Platform/SettingsStore.h"
#include "Support/AppHarness.h"
#include "Support/EventLoopWait.h"
#include "Support/LocalHttpServer.h"
#include "Support/Uuid.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quorvel {
namespace {

using testing::LocalHttpServer;

PreparedFeedbackScreenshot screenshot() {
    return {QByteArray("\x89PNG not really", 15), "shot.png", "image/png"};
}

class FeedbackDelegateTest : public ::testing::Test {
protected:
    testing::AppHarness harness;
    LocalHttpServer server;
    std::unique_ptr<AppDelegate> delegate;

    void create(const QString& supportURL, const QString& token, std::optional<QString> version) {
        AppPlatform platform = harness.platform();
        platform.buildInfo.supportURL = supportURL;
        platform.buildInfo.supportToken = token;
        platform.buildInfo.shortVersion = std::move(version);
        delegate = std::make_unique<AppDelegate>(std::move(platform));
    }

    static BugReportResult submit(const FeedbackWindowController::SubmitReport& submitter) {
        std::optional<BugReportResult> result;
        submitter("Codex", "Missed question.", screenshot(),
                  [&](const BugReportResult& outcome) { result = outcome; });
        EXPECT_TRUE(testing::waitUntil([&] { return result.has_value(); }));
        return result.value_or(BugReportSubmissionError::invalidResponse());
    }
};

TEST_F(FeedbackDelegateTest, TheWindowIsMadeOnceAndKeepsItsFormBetweenShowings) {
    create({}, {}, std::nullopt);
    delegate->showFeedback();
    FeedbackWindowController* first = delegate->feedbackController.get();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->window()->isVisible());
    first->details()->setPlainText("Half written.");
    first->window()->close();

    delegate->showFeedback();
    EXPECT_EQ(delegate->feedbackController.get(), first);
    EXPECT_TRUE(first->window()->isVisible());
    EXPECT_EQ(first->details()->toPlainText(), "Half written.");
}

TEST_F(FeedbackDelegateTest, TheWindowSaysOnOpeningWhenTheServiceCannotTakeReports) {
    for (const auto& [address, token, notice] :
         {std::tuple<QString, QString, QString>{QString(), "token",
                                                "The Quorvel support service is not configured."},
          {server.url(QString()), QString(), "The Quorvel support service is not configured."},
          {"http://support.example", "token", "The support service must use HTTPS."},
          {server.url(QString()), "token", QString()}}) {
        create(address, token, "1.0.0");
        delegate->showFeedback();
        FeedbackWindowController& window = *delegate->feedbackController;
        EXPECT_EQ(window.serviceNotice()->isHidden(), notice.isEmpty()) << address.toStdString();
        EXPECT_EQ(window.serviceNotice()->text(), notice);
        EXPECT_EQ(window.submitButton()->isEnabled(), notice.isEmpty());
        window.window()->close();
    }
}

TEST_F(FeedbackDelegateTest, WithoutAnAddressOrACredentialNothingIsSent) {
    server.answer("/api/bug-reports", {201, R"({"id":"R-1","emailSent":true})", {}});
    for (const auto& [address, token] : {std::pair<QString, QString>{QString(), "token"},
                                         std::pair<QString, QString>{server.url(QString()), QString()}}) {
        create(address, token, "1.0.0");
        const BugReportResult result = submit(delegate->issueReportSubmitter());
        ASSERT_TRUE(std::holds_alternative<BugReportSubmissionError>(result));
        EXPECT_STREQ(std::get<BugReportSubmissionError>(result).what(),
                     "The Quorvel support service is not configured.");
    }
    EXPECT_TRUE(server.receivedRequests().empty());
}

TEST_F(FeedbackDelegateTest, SendsWithTheConfiguredCredentialTheInstallationAndTheVersion) {
    server.answer("/api/bug-reports", {201, R"({"id":"R-9","emailSent":false})", {}});
    create(server.url(QString()), "build-token", "2.0.1");
    const BugReportResult result = submit(delegate->issueReportSubmitter());
    ASSERT_TRUE(std::holds_alternative<BugReportReceipt>(result));
    EXPECT_EQ(std::get<BugReportReceipt>(result), (BugReportReceipt{"R-9", false}));
    submit(delegate->issueReportSubmitter());

    ASSERT_EQ(server.receivedRequests().size(), 2u);
    EXPECT_EQ(server.receivedRequests()[0].headers.value("authorization"), "Bearer build-token");
    const auto body = nlohmann::json::parse(server.receivedRequests()[0].body.toStdString());
    const auto again = nlohmann::json::parse(server.receivedRequests()[1].body.toStdString());
    const std::optional<QString> stored = SettingsStore(harness.settingsFile()).text("installationID");
    ASSERT_TRUE(stored);
    EXPECT_EQ(body["installationId"], Uuid::lowercased(stored->toStdString()));
    EXPECT_EQ(again["installationId"], body["installationId"]);
    EXPECT_EQ(body["appVersion"], "2.0.1");
}

TEST_F(FeedbackDelegateTest, TheWindowsSenderFailsOnceTheDelegateIsGone) {
    server.answer("/api/bug-reports", {201, R"({"id":"R-1","emailSent":true})", {}});
    create(server.url(QString()), "token", std::nullopt);
    const FeedbackWindowController::SubmitReport submitter = delegate->issueReportSubmitter();
    delegate.reset();
    EXPECT_TRUE(std::holds_alternative<BugReportSubmissionError>(submit(submitter)));
    EXPECT_TRUE(server.receivedRequests().empty());
}

} // namespace
} // namespace quorvel
