#pragma once

#include "Support/Date.h"

namespace quorvel {

// The application's only source of the current time; tests give a clock they move by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

class SystemClock final : public Clock {
public:
    Date now() const override;
};

} // namespace quorvel
