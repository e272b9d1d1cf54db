#include "Platform/X11FrontmostApplication.h"
#include "Support/XvfbServer.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace quorvel {
namespace {

using testing::XcbConnectionCloser;
using namespace std::string_view_literals;

const QString claudeApp = "com.anthropic.claudefordesktop";

TEST(X11FrontmostApplicationMapping, OnlyTheClaudeWindowClassNamesTheClaudeApp) {
    EXPECT_EQ(X11FrontmostApplication::bundleIdentifierForWindowClass("Claude"), claudeApp);
    EXPECT_EQ(X11FrontmostApplication::bundleIdentifierForWindowClass("claude"), claudeApp);
    for (const std::string_view other :
         {"CLAUDE"sv, "Claude "sv, "claude-code"sv, "XTerm"sv, ""sv, "com.anthropic.claudefordesktop"sv})
        EXPECT_EQ(X11FrontmostApplication::bundleIdentifierForWindowClass(other), std::nullopt) << other;
}

TEST(X11FrontmostApplicationMapping, WindowClassValuesSplitIntoInstanceAndClass) {
    using Strings = std::pair<std::string_view, std::string_view>;
    EXPECT_EQ(X11FrontmostApplication::windowClassStrings("claude\0Claude\0"sv),
              (Strings{"claude", "Claude"}));
    EXPECT_EQ(X11FrontmostApplication::windowClassStrings("claude\0Claude"sv), (Strings{"claude", "Claude"}));
    EXPECT_EQ(X11FrontmostApplication::windowClassStrings("Claude"sv), (Strings{"Claude", ""}));
    EXPECT_EQ(X11FrontmostApplication::windowClassStrings(""sv), (Strings{"", ""}));
}

// A bare X server (no window manager): the test plays the window manager by setting _NET_ACTIVE_WINDOW.
class X11FrontmostApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.isRunning())
            GTEST_SKIP() << "Xvfb is not available";
        connection.reset(server.connect());
        ASSERT_TRUE(connection);
        x11 = X11Connection::withFirstRoot(connection.get());
    }

    xcb_atom_t atom(std::string_view name) const {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection.get(), xcb_intern_atom(connection.get(), 0, std::uint16_t(name.size()), name.data()),
            nullptr));
        return reply->atom;
    }

    xcb_window_t windowOfClass(std::string_view windowClass) const {
        const xcb_window_t window = xcb_generate_id(connection.get());
        xcb_create_window(connection.get(), XCB_COPY_FROM_PARENT, window, x11.root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, std::uint32_t(windowClass.size()), windowClass.data());
        return window;
    }

    void activate(xcb_window_t window) const {
        xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, x11.root, atom("_NET_ACTIVE_WINDOW"),
                            XCB_ATOM_WINDOW, 32, 1, &window);
        testing::syncWithServer(connection.get());
    }

    std::optional<QString> frontmost() const { return X11FrontmostApplication(x11).bundleIdentifier(); }

    testing::XvfbServer server;
    std::unique_ptr<xcb_connection_t, XcbConnectionCloser> connection;
    X11Connection x11;
};

TEST_F(X11FrontmostApplicationTest, TheActiveClaudeWindowNamesTheClaudeApp) {
    activate(windowOfClass("claude\0Claude\0"sv));
    EXPECT_EQ(frontmost(), claudeApp);
}

TEST_F(X11FrontmostApplicationTest, AnotherActiveApplicationIsNone) {
    activate(windowOfClass("xterm\0XTerm\0"sv));
    EXPECT_EQ(frontmost(), std::nullopt);
    // A program started under the instance name "claude" is still not the Claude app.
    activate(windowOfClass("claude\0XTerm\0"sv));
    EXPECT_EQ(frontmost(), std::nullopt);
}

TEST_F(X11FrontmostApplicationTest, NoActiveWindowOrAGoneOneIsNone) {
    EXPECT_EQ(frontmost(), std::nullopt); // no window manager ever set the property
    activate(XCB_WINDOW_NONE);
    EXPECT_EQ(frontmost(), std::nullopt);
    const xcb_window_t window = windowOfClass("claude\0Claude\0"sv);
    activate(window);
    xcb_destroy_window(connection.get(), window);
    EXPECT_EQ(frontmost(), std::nullopt);
    activate(windowOfClass(""sv)); // a window without a usable class
    EXPECT_EQ(frontmost(), std::nullopt);
}

TEST(X11FrontmostApplicationOffscreen, WithoutAnX11DisplayThereIsNone) {
    EXPECT_EQ(X11FrontmostApplication().bundleIdentifier(), std::nullopt);
}

} // namespace
} // namespace quorvel
