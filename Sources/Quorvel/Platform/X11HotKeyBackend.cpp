#include "Platform/X11HotKeyBackend.h"

#include "Platform/X11Keyboard.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb_keysyms.h>

namespace quorvel {

namespace {

constexpr int keysymColumns = 4;

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};

std::vector<std::vector<X11Keyboard::Keycode>> modifierRows(xcb_connection_t* connection) {
    xcb_generic_error_t* error = nullptr;
    XcbReply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), &error));
    std::free(error);
    if (!reply)
        return {};
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    std::vector<std::vector<X11Keyboard::Keycode>> rows(8);
    for (int row = 0; row < 8; ++row)
        rows[row].assign(keycodes + row * perModifier, keycodes + (row + 1) * perModifier);
    return rows;
}

std::vector<X11Keyboard::Keysym> keysymsOf(xcb_key_symbols_t* symbols, X11Keyboard::Keycode keycode) {
    std::vector<X11Keyboard::Keysym> keysyms;
    for (int column = 0; column < keysymColumns; ++column) {
        const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols, keycode, column);
        if (keysym != XCB_NO_SYMBOL)
            keysyms.push_back(keysym);
    }
    return keysyms;
}

std::vector<xcb_keycode_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> keycodes;
    XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* code = list.get(); code && *code != XCB_NO_SYMBOL; ++code)
        if (std::find(keycodes.begin(), keycodes.end(), *code) == keycodes.end())
            keycodes.push_back(*code);
    return keycodes;
}

} // namespace

X11HotKeyBackend::X11HotKeyBackend(X11Connection connection) : x11_(connection) {}

X11HotKeyBackend::~X11HotKeyBackend() {
    removeHandler();
}

bool X11HotKeyBackend::installHandler(Handler handler) {
    auto* application = QCoreApplication::instance();
    if (!application)
        return false;
    handler_ = std::move(handler);
    if (!filterInstalled_)
        application->installNativeEventFilter(this);
    filterInstalled_ = true;
    return true;
}

void X11HotKeyBackend::removeHandler() {
    if (filterInstalled_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    filterInstalled_ = false;
    handler_ = nullptr;
}

bool X11HotKeyBackend::registerHotKey(std::uint32_t hotKeyID) {
    unregisterHotKey();
    if (!x11_.connection || x11_.root == XCB_WINDOW_NONE || !lookUpKey())
        return false;
    std::vector<Grab> grabs;
    for (const xcb_keycode_t keycode : keycodes_)
        for (const std::uint16_t modifiers : X11Keyboard::lockVariants(modifiers_, numLock_))
            grabs.push_back({keycode, modifiers});
    if (!grab(grabs))
        return false;
    grabs_ = std::move(grabs);
    hotKeyID_ = hotKeyID;
    return true;
}

void X11HotKeyBackend::unregisterHotKey() {
    if (grabs_.empty())
        return;
    ungrab(grabs_);
    grabs_.clear();
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (grabs_.empty() || !message || eventType != QByteArrayLiteral("xcb_generic_event_t"))
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (!isOurKey(key->detail, key->state))
        return false;
    if (type == XCB_KEY_PRESS && handler_)
        handler_(hotKeyID_);
    return true;
}

bool X11HotKeyBackend::lookUpKey() {
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(xcb_key_symbols_alloc(x11_.connection));
    if (!symbols)
        return false;
    const auto masks =
        X11Keyboard::modifierMasks(modifierRows(x11_.connection),
                                   [&](X11Keyboard::Keycode code) { return keysymsOf(symbols.get(), code); });
    keycodes_ = keycodesOf(symbols.get(), X11Keyboard::keysymL);
    modifiers_ = static_cast<std::uint16_t>(masks.alt | masks.super);
    numLock_ = masks.numLock;
    return masks.alt && masks.super && !keycodes_.empty();
}

bool X11HotKeyBackend::grab(const std::vector<Grab>& grabs) {
    std::vector<xcb_void_cookie_t> cookies;
    for (const Grab& grab : grabs)
        cookies.push_back(xcb_grab_key_checked(x11_.connection, 0, x11_.root, grab.modifiers, grab.keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::vector<Grab> held;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(x11_.connection, cookies[i]));
        if (!error)
            held.push_back(grabs[i]);
    }
    if (held.size() == grabs.size())
        return true;
    ungrab(held);
    return false;
}

void X11HotKeyBackend::ungrab(const std::vector<Grab>& grabs) {
    for (const Grab& grab : grabs)
        xcb_ungrab_key(x11_.connection, grab.keycode, x11_.root, grab.modifiers);
    xcb_flush(x11_.connection);
}

bool X11HotKeyBackend::isOurKey(xcb_keycode_t keycode, std::uint16_t state) const {
    return std::find(keycodes_.begin(), keycodes_.end(), keycode) != keycodes_.end() &&
           X11Keyboard::withoutLocks(state, numLock_) == modifiers_;
}

} // namespace quorvel
