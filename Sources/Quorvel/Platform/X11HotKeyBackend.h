#pragma once

#include "Platform/HotKeyBackend.h"
#include "Platform/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <vector>

namespace quorvel {

// Alt+Super+L grabbed on the root window. Presses arrive through Qt's native event filter, so the
// connection must be the one Qt reads events from (or, in tests, one whose events are fed in by hand).
class X11HotKeyBackend final : public HotKeyBackend, public QAbstractNativeEventFilter {
public:
    explicit X11HotKeyBackend(X11Connection connection);
    // Removes the event filter; grabs are left to unregisterHotKey.
    ~X11HotKeyBackend() override;

    bool installHandler(Handler handler) override;
    void removeHandler() override;
    // Grabs the key with every Num Lock / Caps Lock combination; when the server refuses any of them
    // (BadAccess: another client holds it) the others are released again and the result is false.
    bool registerHotKey(std::uint32_t hotKeyID) override;
    void unregisterHotKey() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        xcb_keycode_t keycode;
        std::uint16_t modifiers;
    };

    bool lookUpKey();
    bool grab(const std::vector<Grab>& grabs);
    void ungrab(const std::vector<Grab>& grabs);
    bool isOurKey(xcb_keycode_t keycode, std::uint16_t state) const;

    X11Connection x11_;
    Handler handler_;
    bool filterInstalled_ = false;
    std::uint32_t hotKeyID_ = 0;
    std::vector<xcb_keycode_t> keycodes_;
    std::uint16_t modifiers_ = 0;
    std::uint16_t numLock_ = 0;
    std::vector<Grab> grabs_;
};

} // namespace quorvel
