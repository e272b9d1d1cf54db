#pragma once

#include "Platform/FrontmostApplication.h"
#include "Platform/X11Connection.h"

#include <string_view>
#include <utility>

namespace quorvel {

// The owner of X11's active window (_NET_ACTIVE_WINDOW), named from its WM_CLASS; none elsewhere.
class X11FrontmostApplication final : public FrontmostApplication {
public:
    // Reads through the application's own X connection, when it has one.
    X11FrontmostApplication() = default;
    // Reads through the given connection (tests).
    explicit X11FrontmostApplication(X11Connection connection);

    std::optional<QString> bundleIdentifier() const override;

    // The identifier the rest of the program knows an application by, from the class name of its
    // window's WM_CLASS (the second string; the first is the instance name, which any program can be
    // started with); none for applications it does not know.
    static std::optional<QString> bundleIdentifierForWindowClass(std::string_view className);
    // The two NUL-terminated strings of a WM_CLASS property value (a missing one reads as empty).
    static std::pair<std::string_view, std::string_view> windowClassStrings(std::string_view property);

private:
    std::optional<X11Connection> x11_;
};

} // namespace quorvel
