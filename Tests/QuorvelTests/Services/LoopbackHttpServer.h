#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <functional>
#include <vector>

namespace quorvel::testing {

// One HTTP/1.1 request as it arrived.
struct RecordedRequest {
    QByteArray method;
    QByteArray target;                    // path and query
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

struct CannedResponse {
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
};

// A small HTTP server on a loopback address that records every request and answers each one with the
// response it is given, then closes the connection. Runs on the test's event loop.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    explicit LoopbackHttpServer(const QHostAddress& address = QHostAddress::LocalHost);

    quint16 port() const { return server_.serverPort(); }
    // http://host:port with a path of the test's.
    QUrl url(const QString& host = QStringLiteral("127.0.0.1"), const QString& path = QString()) const;

    // The answer to every request, or to those for one target.
    void respondWith(CannedResponse response) { response_ = std::move(response); }
    void respondTo(const QByteArray& target, CannedResponse response) {
        byTarget_[target] = std::move(response);
    }
    const std::vector<RecordedRequest>& requests() const { return requests_; }

private:
    void accept();
    void readFrom(class QTcpSocket* socket);

    QTcpServer server_;
    CannedResponse response_;
    QMap<QByteArray, CannedResponse> byTarget_;
    std::vector<RecordedRequest> requests_;
};

// Runs the event loop until `done()` holds or `milliseconds` pass; returns whether it holds.
bool waitUntil(const std::function<bool()>& done, int milliseconds = 10'000);

} // namespace quorvel::testing
