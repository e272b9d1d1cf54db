#pragma once

#include "Platform/FrontmostApplication.h"

namespace quorvel {

// The owner of X11's active window (_NET_ACTIVE_WINDOW), named from its WM_CLASS; none elsewhere.
class X11FrontmostApplication final : public FrontmostApplication {
public:
    std::optional<QString> bundleIdentifier() const override;
};

} // namespace quorvel
