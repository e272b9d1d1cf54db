#pragma once

#include <cstdlib>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace quorvel {

// The X server connection the application's windows use, and the root window of its first screen.
struct X11Connection {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;

    // Qt's own connection when the application runs on the xcb platform; nothing otherwise.
    static std::optional<X11Connection> ofApplication();
    // The root window of the connection's first screen.
    static X11Connection withFirstRoot(xcb_connection_t* connection);
};

// Owns a reply or error that xcb allocated with malloc.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

} // namespace quorvel
