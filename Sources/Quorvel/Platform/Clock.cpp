#include "Platform/Clock.h"

#include <chrono>

namespace quorvel {

Date SystemClock::now() const {
    using namespace std::chrono;
    const auto sinceEpoch = duration<double>(system_clock::now().time_since_epoch());
    return Date::fromUnix(sinceEpoch.count());
}

} // namespace quorvel
