#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <optional>
#include <vector>

namespace quorvel::testing {

// A one-request-per-connection HTTP/1.1 server on 127.0.0.1 with canned answers by path.
class LocalHttpServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray extraHeaders; // complete "Name: value\r\n" lines
    };
    // One request as it arrived, answered once its body (by Content-Length) is complete.
    struct Request {
        QByteArray method;
        QString path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    LocalHttpServer();

    quint16 port() const { return server_.serverPort(); }
    QString url(const QString& path) const;
    void answer(const QString& path, Response response) { responses_[path] = std::move(response); }
    // The paths asked for, in order.
    const QStringList& requests() const { return requests_; }
    const std::vector<Request>& receivedRequests() const { return received_; }

private:
    void serve(class QTcpSocket* socket);

    QTcpServer server_;
    QMap<QString, Response> responses_;
    QStringList requests_;
    std::vector<Request> received_;
};

// A loopback port with nothing listening on it.
quint16 closedLoopbackPort();

} // namespace quorvel::testing
