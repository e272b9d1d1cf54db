#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace quorvel {

// How a second start asks the running copy to show itself: the running copy listens on a Unix socket
// beside its lock, in Quorvel's own private data folder, and a later start sends one line, "show".
class ShowRequestChannel final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* socketFileName = "quorvel.socket";
    static constexpr const char* request = "show\n";

    // The socket beside the lock file.
    static std::filesystem::path socketFile(const std::filesystem::path& lockFile);

    // From a second start: sends the request, waiting a moment for a copy that is still starting up.
    // False when no running copy took it.
    static bool ask(const std::filesystem::path& socket);

    explicit ShowRequestChannel(QObject* parent = nullptr);
    ~ShowRequestChannel() override;

    // Only the holder of the lock listens: whatever a killed holder left at the socket's place is
    // removed first. `shown` runs for each request. An empty text on success, else what went wrong.
    std::string listen(const std::filesystem::path& socket, std::function<void()> shown);

private:
    void accept();
    void read(QLocalSocket* connection);

    QLocalServer* server_ = nullptr;
    std::function<void()> shown_;
};

} // namespace quorvel
