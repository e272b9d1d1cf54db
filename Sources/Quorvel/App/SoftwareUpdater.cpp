#include "App/SoftwareUpdater.h"

#include "App/IsolatedText.h"
#include "Platform/AlertPresenter.h"
#include "Platform/Workspace.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <ctime>

namespace quorvel {

namespace {

constexpr int redirectLimit = 5;
constexpr std::chrono::seconds transferTimeLimit(30);
// Bytes Qt may hold for us before it stops reading the connection: what lets a reply over its cap be
// aborted instead of drained.
constexpr qint64 replyBufferBytes = 64 * 1024;
constexpr std::chrono::milliseconds longestPoll = std::chrono::hours(1);

// Monotonic time that keeps counting while the machine sleeps, so "daily" survives suspend.
std::chrono::nanoseconds bootTime() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

bool isLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

SoftwareUpdater::SoftwareUpdater(QString feedURL, QString currentVersion, Workspace& workspace,
                                 AlertPresenter& alerts, Delegate delegate, QObject* parent)
    : QObject(parent), feedURL_(std::move(feedURL)), currentVersion_(std::move(currentVersion)),
      workspace_(workspace), alerts_(alerts), delegate_(std::move(delegate)) {}

SoftwareUpdater::~SoftwareUpdater() {
    if (!reply_)
        return;
    reply_->disconnect(this); // no check may finish into a half-destroyed updater
    reply_->abort();
}

void SoftwareUpdater::setSchedule(std::chrono::milliseconds firstCheck, std::chrono::milliseconds interval) {
    firstCheck_ = firstCheck;
    interval_ = interval;
}

void SoftwareUpdater::startUpdater() {
    if (!isConfigured() || scheduleTimer_)
        return;
    QTimer::singleShot(firstCheck_, this, [this] { check(false); });
    scheduleTimer_ = new QTimer(this);
    scheduleTimer_->setInterval(std::min(interval_, longestPoll));
    connect(scheduleTimer_, &QTimer::timeout, this, &SoftwareUpdater::runDueCheck);
    scheduleTimer_->start();
}

void SoftwareUpdater::runDueCheck() {
    if (!lastCheck_ || bootTime() - *lastCheck_ >= interval_)
        check(false);
}

void SoftwareUpdater::checkForUpdates() {
    if (!isConfigured()) {
        alerts_.show(QStringLiteral("Quorvel does not check for updates"),
                     QStringLiteral("This build of Quorvel does not check for updates."),
                     AlertStyle::informational);
        return;
    }
    check(true);
}

void SoftwareUpdater::openAvailableUpdate() {
    if (!availableUpdate_)
        return;
    const QString link = availableUpdate_->downloadURL;
    workspace_.openURL(link, [updater = QPointer<SoftwareUpdater>(this), link](bool opened) {
        if (!opened && updater)
            updater->alerts_.show(QStringLiteral("Could not open the download page"),
                                  QStringLiteral("Open %1 in your web browser.").arg(isolated(link)),
                                  AlertStyle::warning);
    });
}

void SoftwareUpdater::check(bool userInitiated) {
    if (reply_) {
        // One check at a time; the user still hears how the running one ends.
        userWaiting_ = userWaiting_ || userInitiated;
        return;
    }
    userWaiting_ = userInitiated;
    lastCheck_ = bootTime();
    const QUrl url(feedURL_, QUrl::StrictMode);
    if (!isAllowedAddress(url)) {
        finish(CheckOutcome::failed, Failure::insecureAddress);
        return;
    }
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(redirectLimit);
    request.setTransferTimeout(static_cast<int>(std::chrono::milliseconds(transferTimeLimit).count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    received_.clear();
    downloadFailure_.reset();
    reply_ = network_->get(request);
    QNetworkReply* reply = reply_;
    reply->setReadBufferSize(replyBufferBytes);
    // However slowly the server sends, the whole check ends by its deadline.
    QTimer::singleShot(deadline_, reply, [this, reply] {
        if (reply_ == reply)
            abortDownload(Failure::unreachable);
    });
    connect(reply, &QNetworkReply::redirected, this, [this, reply, url](const QUrl& target) {
        // Same scheme and host only: a feed may move on its server, never elsewhere.
        if (target.scheme() == url.scheme() && target.host().compare(url.host(), Qt::CaseInsensitive) == 0)
            emit reply->redirectAllowed();
        else
            abortDownload(Failure::redirected);
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > feedSizeLimit)
            abortDownload(Failure::tooLarge);
    });
    connect(reply, &QNetworkReply::readyRead, this, &SoftwareUpdater::readAvailable);
    connect(reply, &QNetworkReply::finished, this, &SoftwareUpdater::finishDownload);
}

bool SoftwareUpdater::isAllowedAddress(const QUrl& url) const {
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    return allowsLoopbackHTTP_ && url.scheme() == QLatin1String("http") && isLoopbackHost(url.host());
}

void SoftwareUpdater::readAvailable() {
    if (!reply_ || downloadFailure_)
        return;
    received_ += reply_->read(feedSizeLimit + 1 - received_.size());
    if (received_.size() > feedSizeLimit)
        abortDownload(Failure::tooLarge);
}

void SoftwareUpdater::abortDownload(Failure failure) {
    if (!downloadFailure_)
        downloadFailure_ = failure;
    if (reply_)
        reply_->abort();
}

void SoftwareUpdater::finishDownload() {
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    readAvailable();
    reply_ = nullptr;
    reply->deleteLater();
    if (downloadFailure_) {
        finish(CheckOutcome::failed, downloadFailure_);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
        finish(CheckOutcome::failed, Failure::unreachable);
        return;
    }
    const auto items = AppcastFeed::parse(received_);
    received_.clear();
    if (!items) {
        finish(CheckOutcome::failed, Failure::notAFeed);
        return;
    }
    availableUpdate_ = AppcastFeed::newestUpdate(*items, currentVersion_);
    if (availableUpdate_) {
        if (delegate_.didFindValidUpdate)
            delegate_.didFindValidUpdate(availableUpdate_->displayVersion());
        finish(CheckOutcome::updateFound);
    } else {
        if (delegate_.didNotFindUpdate)
            delegate_.didNotFindUpdate();
        finish(CheckOutcome::upToDate);
    }
}

void SoftwareUpdater::finish(CheckOutcome outcome, std::optional<Failure> failure) {
    const bool tell = userWaiting_;
    userWaiting_ = false;
    if (tell)
        tellUser(outcome, failure);
    emit checkFinished(outcome);
}

void SoftwareUpdater::tellUser(CheckOutcome outcome, std::optional<Failure> failure) {
    switch (outcome) {
    case CheckOutcome::updateFound: {
        const QString version = availableUpdate_->displayVersion();
        alerts_.show(
            QStringLiteral("Quorvel %1 is available").arg(version),
            QStringLiteral("You have version %1. Choose “Update available — v%2…” in the Quorvel menu "
                           "to open its download page.")
                .arg(currentVersion_, version),
            AlertStyle::informational);
        return;
    }
    case CheckOutcome::upToDate:
        alerts_.show(QStringLiteral("Quorvel is up to date"),
                     QStringLiteral("Version %1 is the newest version available.").arg(currentVersion_),
                     AlertStyle::informational);
        return;
    case CheckOutcome::failed:
        break;
    }
    QString reason;
    switch (failure.value_or(Failure::unreachable)) {
    case Failure::insecureAddress:
        reason = QStringLiteral("This build’s update address is not a secure (HTTPS) address.");
        break;
    case Failure::unreachable:
        reason = QStringLiteral("The update server could not be reached. Try again later.");
        break;
    case Failure::notAFeed:
    case Failure::tooLarge:
        reason = QStringLiteral("The update server did not send a valid update feed.");
        break;
    case Failure::redirected:
        reason = QStringLiteral("The update server sent the request to another address.");
        break;
    }
    alerts_.show(QStringLiteral("Could not check for updates"), reason, AlertStyle::warning);
}

} // namespace quorvel
