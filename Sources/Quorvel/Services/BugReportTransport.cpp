#include "Services/BugReportTransport.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <memory>

namespace quorvel::NetworkTransport {
namespace {

QNetworkAccessManager* sharedManager() {
    static QPointer<QNetworkAccessManager> manager;
    if (manager == nullptr)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    return manager;
}

// Connection, timeout, cancellation and redirect errors: the request was not answered.
bool isTransportFailure(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

struct PendingReply {
    QByteArray body;
    bool bodyTooLarge = false;
};

void readAvailable(QNetworkReply* reply, PendingReply& pending) {
    if (pending.bodyTooLarge)
        return;
    pending.body += reply->read(maximumReplyBytes + 1 - pending.body.size());
    if (pending.body.size() > maximumReplyBytes) {
        pending.bodyTooLarge = true;
        pending.body.clear();
        reply->abort();
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
          BugReportTransportDone done) {
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply* reply = manager->post(request, body);
    auto pending = std::make_shared<PendingReply>();
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, pending] { readAvailable(reply, *pending); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, pending, done = std::move(done)] {
        reply->deleteLater();
        done(outcome(reply, *pending));
    });
}

} // namespace

BugReportTransport make(QNetworkAccessManager* manager) {
    return [manager](const QNetworkRequest& request, const QByteArray& body, BugReportTransportDone done) {
        send(manager != nullptr ? manager : sharedManager(), request, body, std::move(done));
    };
}

} // namespace quorvel::NetworkTransport
