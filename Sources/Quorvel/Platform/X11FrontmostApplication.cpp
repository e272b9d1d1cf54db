#include "Platform/X11FrontmostApplication.h"

namespace quorvel {

std::optional<QString> X11FrontmostApplication::bundleIdentifier() const {
    return std::nullopt;
}

} // namespace quorvel
