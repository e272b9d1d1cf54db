#include "Platform/HotKeyBackend.h"

#include "Platform/X11HotKeyBackend.h"

#include <QGuiApplication>

namespace quorvel {

namespace {
// Where keys cannot be grabbed.
class UnavailableHotKeyBackend final : public HotKeyBackend {
public:
    bool installHandler(Handler) override { return true; }
    void removeHandler() override {}
    bool registerHotKey(std::uint32_t) override { return false; }
    void unregisterHotKey() override {}
};
} // namespace

bool HotKeyBackend::canGrabKeys(const QString& platformName, const QString& waylandDisplay,
                                const QString& sessionType) {
    // Under XWayland a root-window grab succeeds but never sees keys typed into Wayland windows.
    const bool wayland =
        !waylandDisplay.isEmpty() || sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    return platformName == QLatin1String("xcb") && !wayland;
}

std::unique_ptr<HotKeyBackend> HotKeyBackend::forThisDesktop() {
    const auto x11 = X11Connection::ofApplication();
    if (x11 && canGrabKeys(QGuiApplication::platformName(), qEnvironmentVariable("WAYLAND_DISPLAY"),
                           qEnvironmentVariable("XDG_SESSION_TYPE")))
        return std::make_unique<X11HotKeyBackend>(*x11);
    return std::make_unique<UnavailableHotKeyBackend>();
}

} // namespace quorvel
