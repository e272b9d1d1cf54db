#include "Services/BugReportTransport.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace quorvel::NetworkTransport {
namespace {

QNetworkAccessManager* sharedManager() {
    static QPointer<QNetworkAccessManager> manager;
    if (manager == nullptr)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    return manager;
}

// Bytes Qt may hold for us before it stops reading the connection: what lets a reply over its cap be
// aborted instead of drained.
constexpr qint64 replyBufferBytes = 64 * 1024;

// Connection, timeout, cancellation and redirect errors: the request was not answered.
bool isTransportFailure(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

struct PendingReply {
    QNetworkAccessManager* manager = nullptr;
    QByteArray body;
    bool bodyTooLarge = false;
};

// Qt keeps reading an aborted POST's reply to its end on its network thread; dropping the manager's
// connections is what closes it.
void abandon(QNetworkReply* reply, const PendingReply& pending) {
    reply->abort();
    QMetaObject::invokeMethod(
        pending.manager,
        [manager = QPointer<QNetworkAccessManager>(pending.manager)] {
            if (manager)
                manager->clearConnectionCache();
        },
        Qt::QueuedConnection);
}

void readAvailable(QNetworkReply* reply, PendingReply& pending) {
    if (pending.bodyTooLarge)
        return;
    pending.body += reply->read(maximumReplyBytes + 1 - pending.body.size());
    if (pending.body.size() > maximumReplyBytes) {
        pending.bodyTooLarge = true;
        pending.body.clear();
        abandon(reply, pending);
    }
}

std::optional<BugReportTransportReply> outcome(QNetworkReply* reply, PendingReply& pending) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (pending.bodyTooLarge)
        return BugReportTransportReply{
            status.isValid() ? std::optional<int>(status.toInt()) : std::nullopt, {}, true};
    if (isTransportFailure(reply->error()) || !status.isValid())
        return std::nullopt;
    readAvailable(reply, pending);
    return BugReportTransportReply{status.toInt(), std::move(pending.body), pending.bodyTooLarge};
}

void send(QNetworkAccessManager* manager, QNetworkRequest request, const QByteArray& body,
          std::chrono::milliseconds deadline, BugReportTransportDone done) {
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply* reply = manager->post(request, body);
    reply->setReadBufferSize(replyBufferBytes);
    auto pending = std::make_shared<PendingReply>();
    pending->manager = manager;
    QTimer::singleShot(deadline, reply, [reply, pending] { abandon(reply, *pending); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, pending] { readAvailable(reply, *pending); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, pending, done = std::move(done)] {
        reply->deleteLater();
        done(outcome(reply, *pending));
    });
}

} // namespace

BugReportTransport make(QNetworkAccessManager* manager, std::chrono::milliseconds deadline) {
    return [manager, deadline](const QNetworkRequest& request, const QByteArray& body,
                               BugReportTransportDone done) {
        send(manager != nullptr ? manager : sharedManager(), request, body, deadline, std::move(done));
    };
}

} // namespace quorvel::NetworkTransport
