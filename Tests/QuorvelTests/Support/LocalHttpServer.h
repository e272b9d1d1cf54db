#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace quorvel::testing {

// A one-request-per-connection HTTP/1.1 server on 127.0.0.1 with canned answers by path.
class LocalHttpServer : public QObject {
public:
    // How the body goes out: at once, or one byte every 20 ms (its length announced).
    enum class Pacing { whole, trickle };
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray extraHeaders; // complete "Name: value\r\n" lines
        Pacing pacing = Pacing::whole;
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
    void trickle(QTcpSocket* socket, const QByteArray& body);

    QTcpServer server_;
    QMap<QString, Response> responses_;
    QStringList requests_;
    std::vector<Request> received_;
};

// On a thread of its own, so that it sends as fast as the network takes it whatever the test's event
// loop does: answers every request on 127.0.0.1 with a 200 whose body, announced as a terabyte, never
// ends. Not chunked: on loopback Qt's network thread can keep reading an endless chunked body without
// handing any of it on, and the test would measure that instead of the client.
class EndlessHttpServer {
public:
    EndlessHttpServer();
    ~EndlessHttpServer();
    EndlessHttpServer(const EndlessHttpServer&) = delete;
    EndlessHttpServer& operator=(const EndlessHttpServer&) = delete;

    QString url(const QString& path) const;
    // Body bytes the network has taken so far.
    long long sentBytes() const { return sent_; }
    // Answers that ended because the client closed its connection or stopped reading.
    int endedAnswers() const { return ended_; }

private:
    void serve();

    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<long long> sent_{0};
    std::atomic<int> ended_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A loopback port with nothing listening on it.
quint16 closedLoopbackPort();

} // namespace quorvel::testing
