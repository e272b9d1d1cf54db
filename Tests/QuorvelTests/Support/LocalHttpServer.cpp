#include "Support/LocalHttpServer.h"

#include <QTcpSocket>

namespace quorvel::testing {

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
    auto request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    const auto path = QString::fromLatin1(request.split(' ').value(1));
    requests_.append(path);
    const Response response = responses_.value(path, Response{404, "not found", {}});
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
