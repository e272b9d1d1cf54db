#include "Services/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

namespace quorvel::testing {
namespace {

constexpr const char* buffered = "quorvelBuffered";

QByteArray reasonPhrase(int status) {
    return status < 300 ? "OK" : status < 400 ? "Redirect" : "Error";
}

std::optional<RecordedRequest> parsedRequest(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    RecordedRequest request;
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (bytes.size() - (end + 4) < length)
        return std::nullopt;
    request.body = bytes.mid(end + 4, length);
    return request;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(const QHostAddress& address) {
    server_.listen(address, 0);
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackHttpServer::accept);
}

QUrl LoopbackHttpServer::url(const QString& host, const QString& path) const {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPort(port());
    url.setPath(path);
    return url;
}

void LoopbackHttpServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LoopbackHttpServer::readFrom(QTcpSocket* socket) {
    QByteArray bytes = socket->property(buffered).toByteArray() + socket->readAll();
    socket->setProperty(buffered, bytes);
    const auto request = parsedRequest(bytes);
    if (!request)
        return;
    requests_.push_back(*request);
    const CannedResponse& response =
        byTarget_.contains(request->target) ? byTarget_[request->target] : response_;
    QByteArray reply =
        "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) +
        "\r\nContent-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n";
    for (const auto& [name, value] : response.headers)
        reply += name + ": " + value + "\r\n";
    socket->write(reply + "\r\n" + response.body);
    socket->disconnectFromHost();
}

bool waitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace quorvel::testing
