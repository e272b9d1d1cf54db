#include "Platform/X11HotKeyBackend.h"
#include "Platform/X11Keyboard.h"
#include "Support/XvfbServer.h"
#include "TestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>
#include <xcb/xcb_keysyms.h>

namespace quorvel {
namespace {

using testing::XcbConnectionCloser;
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbConnectionCloser>;

// Xvfb's default keymap: Alt on Mod1, Num Lock on Mod2, Super on Mod4.
constexpr std::uint16_t altSuper = XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;

class X11HotKeyBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.isRunning())
            GTEST_SKIP() << "Xvfb is not available";
        own.reset(server.connect());
        other.reset(server.connect());
        ASSERT_TRUE(own && other);
        backend = std::make_unique<X11HotKeyBackend>(X11Connection::withFirstRoot(own.get()));
        keycodeL = firstKeycode(X11Keyboard::keysymL);
        keycodeK = firstKeycode(0x006b);
    }

    xcb_keycode_t firstKeycode(xcb_keysym_t keysym) const {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(own.get());
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }

    // Whether another client may grab the key with these modifiers (it can when nobody holds it).
    bool otherCanGrab(std::uint16_t modifiers) const {
        const xcb_window_t root = X11Connection::withFirstRoot(other.get()).root;
        auto cookie = xcb_grab_key_checked(other.get(), 0, root, modifiers, keycodeL, XCB_GRAB_MODE_ASYNC,
                                           XCB_GRAB_MODE_ASYNC);
        XcbReply<xcb_generic_error_t> error(xcb_request_check(other.get(), cookie));
        if (!error) {
            xcb_ungrab_key(other.get(), keycodeL, root, modifiers);
            xcb_flush(other.get());
        }
        return !error;
    }

    xcb_key_press_event_t keyEvent(std::uint8_t type, xcb_keycode_t keycode, std::uint16_t state) const {
        xcb_key_press_event_t event{};
        event.response_type = type;
        event.detail = keycode;
        event.state = state;
        return event;
    }

    bool feed(const xcb_key_press_event_t& event) {
        auto copy = event;
        return backend->nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &copy, nullptr);
    }

    testing::XvfbServer server;
    XcbConnection own;
    XcbConnection other;
    std::unique_ptr<X11HotKeyBackend> backend;
    xcb_keycode_t keycodeL = 0;
    xcb_keycode_t keycodeK = 0;
    std::vector<std::uint32_t> pressed;
};

TEST_F(X11HotKeyBackendTest, GrabsAltSuperLWithEveryLockCombinationUntilUnregistered) {
    ASSERT_TRUE(backend->registerHotKey(1));
    for (const std::uint16_t locks :
         {0, int(numLock), int(XCB_MOD_MASK_LOCK), int(numLock | XCB_MOD_MASK_LOCK)})
        EXPECT_FALSE(otherCanGrab(altSuper | locks)) << locks;
    EXPECT_TRUE(otherCanGrab(XCB_MOD_MASK_4)); // Super+L alone stays free

    backend->unregisterHotKey();
    testing::syncWithServer(own.get());
    EXPECT_TRUE(otherCanGrab(altSuper));
    EXPECT_TRUE(otherCanGrab(altSuper | numLock | XCB_MOD_MASK_LOCK));
}

TEST_F(X11HotKeyBackendTest, AKeyHeldByAnotherClientFailsAndReleasesTheOtherCombinations) {
    const xcb_window_t root = X11Connection::withFirstRoot(other.get()).root;
    // The other client holds only the Caps Lock combination.
    xcb_grab_key(other.get(), 0, root, altSuper | XCB_MOD_MASK_LOCK, keycodeL, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    testing::syncWithServer(other.get());

    EXPECT_FALSE(backend->registerHotKey(1));

    testing::syncWithServer(own.get());
    xcb_ungrab_key(other.get(), keycodeL, root, altSuper | XCB_MOD_MASK_LOCK);
    testing::syncWithServer(other.get());
    EXPECT_TRUE(otherCanGrab(altSuper));
    EXPECT_TRUE(otherCanGrab(altSuper | numLock));
    ASSERT_TRUE(backend->installHandler([this](std::uint32_t id) { pressed.push_back(id); }));
    EXPECT_FALSE(feed(keyEvent(XCB_KEY_PRESS, keycodeL, altSuper)));
    EXPECT_TRUE(pressed.empty());
}

TEST_F(X11HotKeyBackendTest, TheFilterTakesOnlyOurKeyAndReportsPressesWithTheRegisteredId) {
    ASSERT_TRUE(backend->installHandler([this](std::uint32_t id) { pressed.push_back(id); }));
    EXPECT_FALSE(feed(keyEvent(XCB_KEY_PRESS, keycodeL, altSuper))); // not grabbed yet
    ASSERT_TRUE(backend->registerHotKey(7));

    EXPECT_TRUE(feed(keyEvent(XCB_KEY_PRESS, keycodeL, altSuper)));
    EXPECT_TRUE(feed(keyEvent(XCB_KEY_PRESS | 0x80, keycodeL, altSuper | numLock | XCB_MOD_MASK_LOCK)));
    EXPECT_TRUE(feed(keyEvent(XCB_KEY_RELEASE, keycodeL, altSuper))); // swallowed, no press
    EXPECT_FALSE(feed(keyEvent(XCB_KEY_PRESS, keycodeL, altSuper | XCB_MOD_MASK_SHIFT)));
    EXPECT_FALSE(feed(keyEvent(XCB_KEY_PRESS, keycodeK, altSuper)));
    EXPECT_FALSE(feed(keyEvent(XCB_KEY_PRESS, keycodeL, XCB_MOD_MASK_4)));
    auto event = keyEvent(XCB_KEY_PRESS, keycodeL, altSuper);
    EXPECT_FALSE(backend->nativeEventFilter(QByteArrayLiteral("windows_generic_MSG"), &event, nullptr));
    EXPECT_EQ(pressed, (std::vector<std::uint32_t>{7, 7}));

    backend->removeHandler();
    EXPECT_TRUE(feed(keyEvent(XCB_KEY_PRESS, keycodeL, altSuper))); // still grabbed, nobody to tell
    EXPECT_EQ(pressed.size(), 2u);
}

TEST_F(X11HotKeyBackendTest, ATypedShortcutArrivesAtTheGrabbingConnection) {
    if (::access("/usr/bin/xdotool", X_OK) != 0)
        GTEST_SKIP() << "xdotool is not available";
    ASSERT_TRUE(backend->installHandler([this](std::uint32_t id) { pressed.push_back(id); }));
    ASSERT_TRUE(backend->registerHotKey(1));
    const auto typed =
        testing::runProcess({"/usr/bin/xdotool", "key", "alt+super+l"}, {}, {"DISPLAY=" + server.display()});
    ASSERT_EQ(typed.exitStatus, 0) << typed.standardError;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (pressed.empty() && std::chrono::steady_clock::now() < deadline) {
        XcbReply<xcb_generic_event_t> event(xcb_poll_for_event(own.get()));
        if (event)
            backend->nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), event.get(), nullptr);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(pressed, (std::vector<std::uint32_t>{1}));
}

TEST(HotKeyBackendDesktop, KeysAreGrabbedOnlyOnXcbOutsideWayland) {
    const QString none;
    EXPECT_TRUE(HotKeyBackend::canGrabKeys("xcb", none, "x11"));
    EXPECT_TRUE(HotKeyBackend::canGrabKeys("xcb", none, none));
    EXPECT_FALSE(HotKeyBackend::canGrabKeys("xcb", "wayland-0", none));
    EXPECT_FALSE(HotKeyBackend::canGrabKeys("xcb", none, "wayland"));
    EXPECT_FALSE(HotKeyBackend::canGrabKeys("wayland", "wayland-0", none));
    EXPECT_FALSE(HotKeyBackend::canGrabKeys("offscreen", none, none));
}

TEST(HotKeyBackendDesktop, WithoutAnX11DisplayRegistrationFails) {
    auto backend = HotKeyBackend::forThisDesktop(); // the suite runs on the offscreen platform
    EXPECT_TRUE(backend->installHandler([](std::uint32_t) {}));
    EXPECT_FALSE(backend->registerHotKey(1));
    backend->unregisterHotKey();
    backend->removeHandler();
}

} // namespace
} // namespace quorvel
