#pragma once

#include "Platform/Clock.h"

namespace quorvel::testing {

// A clock that moves only when the test moves it.
class ManualClock final : public Clock {
public:
    Date now() const override { return current; }

    Date current{800'000'000};
};

} // namespace quorvel::testing
