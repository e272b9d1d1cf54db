#include "App/SoftwareUpdater.h"
#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Support/EventLoopWait.h"
#include "Support/LocalHttpServer.h"

#include <gtest/gtest.h>
#include <thread>

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using Outcome = SoftwareUpdater::CheckOutcome;
using testing::Alerts;
using testing::LocalHttpServer;

QByteArray feedOffering(const QString& version) {
    return QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><item>"
                          "<version>%1</version><shortVersionString>%1</shortVersionString>"
                          "<link>https://example.org/download/%1</link></item></channel></rss>")
        .arg(version)
        .toUtf8();
}

class SoftwareUpdaterTest : public ::testing::Test {
protected:
    // An updater of version 1.0.0 reading `feedURL`, recording the delegate calls.
    std::unique_ptr<SoftwareUpdater> updaterFor(const QString& feedURL) {
        auto updater = std::make_unique<SoftwareUpdater>(
            feedURL, "1.0.0", workspace, alerts,
            SoftwareUpdater::Delegate{[this](const QString& version) { found.append(version); },
                                      [this] { ++notFound; }});
        updater->setAllowsLoopbackHTTP(true);
        QObject::connect(updater.get(), &SoftwareUpdater::checkFinished,
                         [this](Outcome outcome) { outcomes.push_back(outcome); });
        return updater;
    }

    // Runs a check the user asked for and waits for its end.
    void checkAsUser(SoftwareUpdater& updater) {
        const auto before = outcomes.size();
        updater.checkForUpdates();
        ASSERT_TRUE(testing::waitUntil([&] { return outcomes.size() > before; }));
    }

    // The feed at /feed offers this version; its address.
    QString serveFeed(const QString& version) {
        server.answer("/feed", {200, feedOffering(version), {}});
        return server.url("/feed");
    }

    void expectNothingChanged(const SoftwareUpdater& updater) {
        EXPECT_TRUE(found.isEmpty());
        EXPECT_EQ(notFound, 0);
        EXPECT_EQ(updater.availableUpdate(), std::nullopt);
    }

    LocalHttpServer server;
    testing::RecordingWorkspace workspace;
    testing::RecordingAlerts alerts;
    QStringList found;
    int notFound = 0;
    std::vector<Outcome> outcomes;
};

TEST_F(SoftwareUpdaterTest, ANewerVersionIsOfferedAndItsDownloadPageOpens) {
    auto updater = updaterFor(serveFeed("1.2.0"));
    checkAsUser(*updater);
    EXPECT_EQ(outcomes, std::vector<Outcome>{Outcome::updateFound});
    EXPECT_EQ(found, QStringList{"1.2.0"});
    EXPECT_EQ(alerts.alerts, (Alerts{{"Quorvel 1.2.0 is available",
                                      "You have version 1.0.0. Choose “Update available — v1.2.0…” in "
                                      "the Quorvel menu to open its download page.",
                                      AlertStyle::informational}}));

    updater->openAvailableUpdate();
    EXPECT_EQ(workspace.openedURLs, QStringList{"https://example.org/download/1.2.0"});
}

TEST_F(SoftwareUpdaterTest, TheSameVersionIsUpToDate) {
    auto updater = updaterFor(serveFeed("1.0"));
    checkAsUser(*updater);
    EXPECT_EQ(outcomes, std::vector<Outcome>{Outcome::upToDate});
    EXPECT_EQ(notFound, 1);
    EXPECT_TRUE(found.isEmpty());
    EXPECT_EQ(alerts.alerts,
              (Alerts{{"Quorvel is up to date", "Version 1.0.0 is the newest version available.",
                       AlertStyle::informational}}));
    updater->openAvailableUpdate();
    EXPECT_TRUE(workspace.openedURLs.isEmpty());
}

TEST_F(SoftwareUpdaterTest, AFeedWithNoNewerItemWithdrawsAnEarlierOffer) {
    auto updater = updaterFor(serveFeed("1.2.0"));
    checkAsUser(*updater);
    serveFeed("0.9");
    checkAsUser(*updater);
    EXPECT_EQ(notFound, 1);
    EXPECT_EQ(updater->availableUpdate(), std::nullopt);
}

TEST_F(SoftwareUpdaterTest, FeedsThatCannotBeReadChangeNothing) {
    const QByteArray oversize = feedOffering("9.0") + QByteArray(1'000'001, ' ');
    server.answer("/malformed", {200, "<rss><channel><item><version>9.0</version>", {}});
    server.answer("/html", {200, "<html><body>Sorry</body></html>", {}});
    server.answer("/oversize", {200, oversize, {}});
    server.answer("/error", {500, feedOffering("9.0"), {}});
    server.answer("/refused-version", {200, feedOffering("9.0&lt;b&gt;"), {}});
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/feed").arg(testing::closedLoopbackPort());
    for (const QString& url :
         {server.url("/malformed"), server.url("/html"), server.url("/oversize"), server.url("/error"),
          server.url("/missing"), unreachable, server.url("/refused-version")}) {
        auto updater = updaterFor(url);
        checkAsUser(*updater);
        EXPECT_EQ(outcomes.back(), Outcome::failed) << url.toStdString();
        expectNothingChanged(*updater);
        ASSERT_EQ(alerts.alerts.size(), 1u) << url.toStdString();
        EXPECT_EQ(alerts.alerts[0].message, "Could not check for updates");
        EXPECT_EQ(alerts.alerts[0].style, AlertStyle::warning);
        alerts.alerts.clear();
    }
}

TEST_F(SoftwareUpdaterTest, TheUserLearnsWhyACheckFailed) {
    server.answer("/malformed", {200, "garbage", {}});
    checkAsUser(*updaterFor(server.url("/malformed")));
    checkAsUser(*updaterFor(QStringLiteral("http://127.0.0.1:%1/").arg(testing::closedLoopbackPort())));
    ASSERT_EQ(alerts.alerts.size(), 2u);
    EXPECT_EQ(alerts.alerts[0].informative, "The update server did not send a valid update feed.");
    EXPECT_EQ(alerts.alerts[1].informative, "The update server could not be reached. Try again later.");
}

// A feed that never ends is dropped at its cap, not drained; a slow one ends at the check's deadline.
TEST_F(SoftwareUpdaterTest, EndlessAndCrawlingFeedsEndTheCheck) {
    testing::EndlessHttpServer endless;
    auto updater = updaterFor(endless.url("/feed"));
    updater->checkForUpdates();
    // While the main thread is busy, nothing may be read past what its buffer holds.
    ASSERT_TRUE(testing::waitUntil([&] { return endless.sentBytes() > 0; }));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(testing::waitUntil([&] { return !outcomes.empty(); }));
    EXPECT_EQ(outcomes.back(), Outcome::failed);
    EXPECT_EQ(alerts.alerts.back().informative, "The update server did not send a valid update feed.");
    EXPECT_LT(endless.sentBytes(), 16'000'000) << "the connection was drained past the cap";

    server.answer("/slow", {200, feedOffering("1.2.0"), {}, LocalHttpServer::Pacing::trickle});
    auto slow = updaterFor(server.url("/slow"));
    slow->setDeadline(400ms);
    const auto start = std::chrono::steady_clock::now();
    checkAsUser(*slow);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(outcomes.back(), Outcome::failed);
    expectNothingChanged(*slow);
    EXPECT_EQ(alerts.alerts.back().informative, "The update server could not be reached. Try again later.");
}

TEST_F(SoftwareUpdaterTest, RedirectsAreFollowedOnlyOnTheSameHost) {
    serveFeed("1.2.0");
    server.answer("/moved", {301, {}, "Location: /feed\r\n"});
    const QString elsewhere = QStringLiteral("http://localhost:%1/feed").arg(server.port());
    server.answer("/away", {302, {}, "Location: " + elsewhere.toUtf8() + "\r\n"});
    const QString secure = QStringLiteral("https://127.0.0.1:%1/feed").arg(server.port());
    server.answer("/scheme", {302, {}, "Location: " + secure.toUtf8() + "\r\n"});

    auto moved = updaterFor(server.url("/moved"));
    checkAsUser(*moved);
    EXPECT_EQ(outcomes.back(), Outcome::updateFound);
    found.clear();
    alerts.alerts.clear();

    for (const char* path : {"/away", "/scheme"}) {
        auto refused = updaterFor(server.url(QString::fromLatin1(path)));
        checkAsUser(*refused);
        EXPECT_EQ(outcomes.back(), Outcome::failed) << path;
        expectNothingChanged(*refused);
        EXPECT_EQ(alerts.alerts.back().informative, "The update server sent the request to another address.");
    }
    EXPECT_EQ(server.requests().count("/feed"), 1); // localhost never asked
}

TEST_F(SoftwareUpdaterTest, PlainHttpIsRefusedUnlessAllowedForALoopbackHost) {
    auto updater = updaterFor(serveFeed("1.2.0"));
    updater->setAllowsLoopbackHTTP(false);
    checkAsUser(*updater);
    auto remote = updaterFor("http://example.org/feed");
    checkAsUser(*remote);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(outcomes, (std::vector<Outcome>{Outcome::failed, Outcome::failed}));
    expectNothingChanged(*updater);
    ASSERT_EQ(alerts.alerts.size(), 2u);
    EXPECT_EQ(alerts.alerts[0].informative, "This build’s update address is not a secure (HTTPS) address.");
}

TEST_F(SoftwareUpdaterTest, AutomaticChecksRunSoonAfterStartAndTellNobody) {
    auto updater = updaterFor(serveFeed("1.2.0"));
    updater->setSchedule(0ms, 100ms);
    updater->startUpdater();
    ASSERT_TRUE(testing::waitUntil([&] { return outcomes.size() >= 2; }));
    EXPECT_EQ(found.first(), "1.2.0");
    EXPECT_TRUE(alerts.alerts.empty());
}

TEST_F(SoftwareUpdaterTest, WithoutAFeedNothingIsCheckedAndTheUserIsTold) {
    auto updater = updaterFor(QString());
    updater->setSchedule(0ms, 10ms);
    updater->startUpdater();
    updater->checkForUpdates();
    EXPECT_FALSE(testing::waitUntil([&] { return !outcomes.empty(); }, 200ms));
    expectNothingChanged(*updater);
    EXPECT_EQ(alerts.alerts,
              (Alerts{{"Quorvel does not check for updates",
                       "This build of Quorvel does not check for updates.", AlertStyle::informational}}));
}

TEST_F(SoftwareUpdaterTest, ADownloadPageThatCannotBeOpenedIsReported) {
    auto updater = updaterFor(serveFeed("1.2.0"));
    updater->setSchedule(0ms, 24h);
    updater->startUpdater();
    ASSERT_TRUE(testing::waitUntil([&] { return !outcomes.empty(); }));
    workspace.opensURLs = false;
    updater->openAvailableUpdate();
    EXPECT_EQ(alerts.alerts,
              (Alerts{{"Could not open the download page",
                       "Open \u2068https://example.org/download/1.2.0\u2069 in your web browser.",
                       AlertStyle::warning}}));
}

} // namespace
} // namespace quorvel
