#include "Platform/X11FrontmostApplication.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace quorvel {

namespace {

constexpr std::uint32_t windowClassLongs = 256; // WM_CLASS values are short; read at most 1 KB

using PropertyReply = XcbReply<xcb_get_property_reply_t>;

PropertyReply property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                       std::uint32_t longs) {
    // Errors (a window gone meanwhile) are taken here, so they never reach the event queue.
    xcb_generic_error_t* error = nullptr;
    PropertyReply reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, longs), &error));
    std::free(error);
    return reply;
}

xcb_atom_t existingAtom(xcb_connection_t* connection, std::string_view name) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data()),
        &error));
    std::free(error);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::optional<xcb_window_t> activeWindow(const X11Connection& x11) {
    const xcb_atom_t atom = existingAtom(x11.connection, "_NET_ACTIVE_WINDOW");
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    const auto reply = property(x11.connection, x11.root, atom, XCB_ATOM_WINDOW, 1);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    xcb_window_t window = XCB_WINDOW_NONE;
    std::memcpy(&window, xcb_get_property_value(reply.get()), sizeof window);
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    return window;
}

std::optional<std::string> windowClass(const X11Connection& x11, xcb_window_t window) {
    const auto reply = property(x11.connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, windowClassLongs);
    if (!reply || reply->format != 8)
        return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

} // namespace

X11FrontmostApplication::X11FrontmostApplication(X11Connection connection) : x11_(connection) {}

std::optional<QString> X11FrontmostApplication::bundleIdentifier() const {
    const auto x11 = x11_ ? x11_ : X11Connection::ofApplication();
    if (!x11 || !x11->connection || x11->root == XCB_WINDOW_NONE)
        return std::nullopt;
    const auto window = activeWindow(*x11);
    const auto classProperty = window ? windowClass(*x11, *window) : std::nullopt;
    if (!classProperty)
        return std::nullopt;
    return bundleIdentifierForWindowClass(windowClassStrings(*classProperty).second);
}

std::optional<QString> X11FrontmostApplication::bundleIdentifierForWindowClass(std::string_view className) {
    if (className == "Claude" || className == "claude")
        return QStringLiteral("com.anthropic.claudefordesktop");
    return std::nullopt;
}

std::pair<std::string_view, std::string_view>
X11FrontmostApplication::windowClassStrings(std::string_view property) {
    const auto firstEnd = property.find('\0');
    const auto instanceName = property.substr(0, firstEnd);
    if (firstEnd == std::string_view::npos)
        return {instanceName, {}};
    auto rest = property.substr(firstEnd + 1);
    return {instanceName, rest.substr(0, rest.find('\0'))};
}

} // namespace quorvel
