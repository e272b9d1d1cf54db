#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace quorvel {

// The desktop's system-wide hot keys: a handler that receives presses, and the grab of Option-Command-L
// (Alt+Super+L on Linux).
class HotKeyBackend {
public:
    using Handler = std::function<void(std::uint32_t hotKeyID)>;

    virtual ~HotKeyBackend() = default;

    // Installs the handler; presses of a registered key call it on the main thread with its id.
    virtual bool installHandler(Handler handler) = 0;
    virtual void removeHandler() = 0;
    // Grabs the key under `hotKeyID`; false when the desktop refused (another program holds it, or
    // there is no way to grab keys in this session).
    virtual bool registerHotKey(std::uint32_t hotKeyID) = 0;
    virtual void unregisterHotKey() = 0;

    // X11's key grab when the application runs on X11 (not under XWayland); otherwise a backend
    // whose registration always fails.
    static std::unique_ptr<HotKeyBackend> forThisDesktop();
    // Keys can be grabbed on the xcb platform outside a Wayland session (WAYLAND_DISPLAY set or
    // XDG_SESSION_TYPE "wayland").
    static bool canGrabKeys(const QString& platformName, const QString& waylandDisplay,
                            const QString& sessionType);
};

} // namespace quorvel
