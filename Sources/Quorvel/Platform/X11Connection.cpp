#include "Platform/X11Connection.h"

#include <QGuiApplication>

namespace quorvel {

std::optional<X11Connection> X11Connection::ofApplication() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application || QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::nullopt;
    return withFirstRoot(x11->connection());
}

X11Connection X11Connection::withFirstRoot(xcb_connection_t* connection) {
    const auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return {connection, screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE)};
}

} // namespace quorvel
