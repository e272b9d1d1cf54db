#pragma once

#include "App/AppcastFeed.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace quorvel {

class AlertPresenter;
class Workspace;

// Checks the update feed configured at build time for a newer version: once soon after start-up, then
// daily, and when the user asks. With no feed configured it never goes on the network.
class SoftwareUpdater : public QObject {
    Q_OBJECT

public:
    // The application delegate's two calls.
    struct Delegate {
        std::function<void(const QString& displayVersion)> didFindValidUpdate;
        std::function<void()> didNotFindUpdate;
    };

    enum class CheckOutcome { updateFound, upToDate, failed };
    Q_ENUM(CheckOutcome)

    // Largest feed read; a longer one is not a feed.
    static constexpr qint64 feedSizeLimit = 1'000'000;

    SoftwareUpdater(QString feedURL, QString currentVersion, Workspace& workspace, AlertPresenter& alerts,
                    Delegate delegate, QObject* parent = nullptr);
    ~SoftwareUpdater() override;

    bool isConfigured() const { return !feedURL_.isEmpty(); }

    // Schedules the automatic checks.
    void startUpdater();
    // A check the user asked for ("Check for Updates…"); tells the user what it found.
    void checkForUpdates();
    // Opens the download page of the newer version found, if any.
    void openAvailableUpdate();

    // The newer release found by the last check that reached the feed.
    const std::optional<AppcastItem>& availableUpdate() const { return availableUpdate_; }

    // When the automatic checks run: the first after `firstCheck`, then whenever `interval` has passed
    // since the last one (time asleep counts). By default 10 s and 24 hours.
    void setSchedule(std::chrono::milliseconds firstCheck, std::chrono::milliseconds interval);
    // The longest a check may take from request to last byte; 60 s by default.
    void setDeadline(std::chrono::milliseconds deadline) { deadline_ = deadline; }
    // Lets a feed on a loopback address be read over plain HTTP (tests only).
    void setAllowsLoopbackHTTP(bool allowed) { allowsLoopbackHTTP_ = allowed; }

signals:
    // After every check, automatic or not.
    void checkFinished(quorvel::SoftwareUpdater::CheckOutcome outcome);

private:
    enum class Failure { insecureAddress, unreachable, notAFeed, tooLarge, redirected };

    void check(bool userInitiated);
    void runDueCheck();
    void readAvailable();
    void finishDownload();
    void finish(CheckOutcome outcome, std::optional<Failure> failure = std::nullopt);
    void tellUser(CheckOutcome outcome, std::optional<Failure> failure);
    void abortDownload(Failure failure);
    bool isAllowedAddress(const QUrl& url) const;

    QString feedURL_;
    QString currentVersion_;
    Workspace& workspace_;
    AlertPresenter& alerts_;
    Delegate delegate_;

    std::chrono::milliseconds firstCheck_ = std::chrono::seconds(10);
    std::chrono::milliseconds interval_ = std::chrono::hours(24);
    std::chrono::milliseconds deadline_ = std::chrono::seconds(60);
    bool allowsLoopbackHTTP_ = false;
    QTimer* scheduleTimer_ = nullptr;
    std::optional<std::chrono::nanoseconds> lastCheck_;

    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QByteArray received_;
    std::optional<Failure> downloadFailure_;
    bool userWaiting_ = false;
    std::optional<AppcastItem> availableUpdate_;
};

} // namespace quorvel
