#include "Support/XvfbServer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quorvel::testing {

namespace {

constexpr const char* xvfbPath = "/usr/bin/Xvfb";
constexpr int startTimeLimitMs = 10'000;

// Xvfb writes the display number it chose, then a newline, to the -displayfd descriptor.
std::optional<std::string> readDisplayNumber(int fd) {
    std::string text;
    char buffer[32];
    while (text.find('\n') == std::string::npos) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, startTimeLimitMs) <= 0)
            return std::nullopt;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return ":" + text.substr(0, text.find('\n'));
}

} // namespace

XvfbServer::XvfbServer() {
    if (::access(xvfbPath, X_OK) != 0)
        return;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3); // dup2 clears close-on-exec
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = xvfbPath;
    std::string displayFd = "-displayfd", three = "3", noTcp = "-nolisten", tcp = "tcp", screen = "-screen",
                zero = "0", size = "640x480x24";
    char* arguments[] = {program.data(), displayFd.data(), three.data(), noTcp.data(), tcp.data(),
                         screen.data(),  zero.data(),      size.data(),  nullptr};
    const int error = ::posix_spawn(&pid_, xvfbPath, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (error != 0) {
        pid_ = -1;
        ::close(pipeFds[0]);
        return;
    }
    display_ = readDisplayNumber(pipeFds[0]);
    ::close(pipeFds[0]);
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

void syncWithServer(xcb_connection_t* connection) {
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

xcb_connection_t* XvfbServer::connect() const {
    if (!display_)
        return nullptr;
    xcb_connection_t* connection = xcb_connect(display_->c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return connection;
}

} // namespace quorvel::testing
