#pragma once

#include "Platform/FrontmostApplication.h"

namespace quorvel::testing {

class FixedFrontmostApplication final : public FrontmostApplication {
public:
    std::optional<QString> bundleIdentifier() const override { return identifier; }

    std::optional<QString> identifier;
};

} // namespace quorvel::testing
