#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <xcb/xcb.h>

namespace quorvel::testing {

// A private virtual X server for one test, on a display number it picks itself; stopped on destruction.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb is not installed or did not start.
    bool isRunning() const { return display_.has_value(); }
    // ":N"
    std::string display() const { return display_.value_or(""); }
    // A new client connection (the caller disconnects it); null when the server is not running.
    xcb_connection_t* connect() const;

private:
    pid_t pid_ = -1;
    std::optional<std::string> display_;
};

// Closes an xcb connection on scope exit.
struct XcbConnectionCloser {
    void operator()(xcb_connection_t* connection) const {
        if (connection)
            xcb_disconnect(connection);
    }
};

// Waits until the server has handled every request sent on the connection so far.
void syncWithServer(xcb_connection_t* connection);

} // namespace quorvel::testing
