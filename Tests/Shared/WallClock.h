#pragma once

#include "Support/Date.h"

#include <chrono>

namespace quorvel::testing {

// The system's wall-clock time, for tests and benchmarks that need real file times.
inline Date wallClock() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return Date::fromUnix(std::chrono::duration<double>(sinceEpoch).count());
}

} // namespace quorvel::testing
