#include "Platform/ShowRequestChannel.h"

#include "Support/FileDescriptor.h"
#include "Support/FileIO.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <system_error>
#include <thread>

namespace quorvel {

namespace {

constexpr int connectAttempts = 15;
constexpr auto betweenAttempts = std::chrono::milliseconds(100);
constexpr qint64 longestRequest = 64; // bytes; anything longer is no request of ours

// Connects to the socket and sends the request; false when nobody listens there.
bool sendOnce(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    FileDescriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!connection.valid() ||
        ::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    const auto length = std::strlen(ShowRequestChannel::request);
    return ::send(connection.get(), ShowRequestChannel::request, length, MSG_NOSIGNAL) ==
           static_cast<ssize_t>(length);
}

} // namespace

std::filesystem::path ShowRequestChannel::socketFile(const std::filesystem::path& lockFile) {
    return lockFile.parent_path() / socketFileName;
}

bool ShowRequestChannel::ask(const std::filesystem::path& socket) {
    for (int attempt = 1; attempt <= connectAttempts; ++attempt) {
        if (sendOnce(socket))
            return true;
        if (attempt < connectAttempts)
            std::this_thread::sleep_for(betweenAttempts);
    }
    return false;
}

ShowRequestChannel::ShowRequestChannel(QObject* parent) : QObject(parent) {}

ShowRequestChannel::~ShowRequestChannel() = default;

std::string ShowRequestChannel::listen(const std::filesystem::path& socket, std::function<void()> shown) {
    shown_ = std::move(shown);
    try {
        FileIO::removeIfExists(socket);
    } catch (const std::system_error& error) {
        return error.what();
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] { accept(); });
    if (!server_->listen(QString::fromStdString(socket.string())))
        return socket.string() + ": " + server_->errorString().toStdString();
    return {};
}

void ShowRequestChannel::accept() {
    while (QLocalSocket* connection = server_->nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] { read(connection); });
        read(connection);
    }
}

void ShowRequestChannel::read(QLocalSocket* connection) {
    if (!connection->canReadLine()) {
        if (connection->bytesAvailable() > longestRequest)
            connection->abort();
        return;
    }
    const QByteArray line = connection->readLine(longestRequest);
    connection->disconnectFromServer();
    if (line == request && shown_)
        shown_();
}

} // namespace quorvel
