#include "Support/LocalHttpServer.h"

#include <QTcpSocket>

namespace quorvel::testing {
namespace {

// The request once its head and its whole body have arrived.
std::optional<LocalHttpServer::Request> completeRequest(const QByteArray& bytes) {
    const qsizetype headEnd = bytes.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.left(headEnd).split('\n');
    LocalHttpServer::Request request;
    request.method = lines.value(0).split(' ').value(0);
    request.path = QString::fromLatin1(lines.value(0).split(' ').value(1));
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (bytes.size() - (headEnd + 4) < length)
        return std::nullopt;
    request.body = bytes.mid(headEnd + 4, length);
    return request;
}

} // namespace

LocalHttpServer::LocalHttpServer() {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString LocalHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpServer::serve(QTcpSocket* socket) {
    const QByteArray bytes = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", bytes);
    const auto request = completeRequest(bytes);
    if (!request)
        return;
    requests_.append(request->path);
    received_.push_back(*request);
    const Response response = responses_.value(request->path, Response{404, "not found", {}});
    QByteArray answer = "HTTP/1.1 " + QByteArray::number(response.status) + " Canned\r\n";
    answer += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    answer += response.extraHeaders + "Connection: close\r\n\r\n" + response.body;
    socket->write(answer);
    socket->disconnectFromHost();
}

quint16 closedLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when the probe goes
}

} // namespace quorvel::testing
