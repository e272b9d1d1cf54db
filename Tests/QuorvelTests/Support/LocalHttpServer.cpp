#include "Support/LocalHttpServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

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
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Canned\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    socket->write(head + response.extraHeaders + "Connection: close\r\n\r\n");
    if (response.pacing == Pacing::trickle) {
        trickle(socket, response.body);
        return;
    }
    socket->write(response.body);
    socket->disconnectFromHost();
}

void LocalHttpServer::trickle(QTcpSocket* socket, const QByteArray& body) {
    auto* timer = new QTimer(socket);
    timer->setProperty("sent", 0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, body] {
        const int sent = timer->property("sent").toInt();
        if (sent >= body.size() || socket->state() != QAbstractSocket::ConnectedState) {
            timer->stop();
            return;
        }
        socket->write(body.mid(sent, 1));
        timer->setProperty("sent", sent + 1);
    });
    timer->start(20);
}

namespace {

// Reads one request, its body by its Content-Length included.
void readRequest(int connection) {
    std::string request;
    char buffer[16 * 1024];
    std::size_t headEnd = std::string::npos;
    std::size_t length = 0;
    while (headEnd == std::string::npos || request.size() < headEnd + 4 + length) {
        const ssize_t received = ::recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0)
            return;
        request.append(buffer, static_cast<std::size_t>(received));
        if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos) {
            const QByteArray head = QByteArray::fromStdString(request.substr(0, headEnd)).toLower();
            const qsizetype field = head.indexOf("content-length:");
            if (field >= 0)
                length = head.mid(field + 15, head.indexOf('\r', field) - field - 15).trimmed().toULongLong();
        }
    }
}

} // namespace

EndlessHttpServer::EndlessHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

EndlessHttpServer::~EndlessHttpServer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
}

QString EndlessHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

void EndlessHttpServer::serve() {
    static const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\n";
    static const std::string chunk(64 * 1024, 'x');
    while (!stopping_) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            return;
        readRequest(connection);
        timeval patience{2, 0}; // a client that stops reading ends the answer
        ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
        bool open = ::send(connection, head.data(), head.size(), MSG_NOSIGNAL) > 0;
        while (open && !stopping_) {
            const ssize_t sent = ::send(connection, chunk.data(), chunk.size(), MSG_NOSIGNAL);
            open = sent > 0;
            if (open)
                sent_ += sent;
        }
        ::close(connection);
        ended_ += open ? 0 : 1;
    }
}

quint16 closedLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when the probe goes
}

} // namespace quorvel::testing
