#pragma once

#include <chrono>
#include <functional>

namespace quorvel::testing {

// Runs the Qt event loop until `condition` holds or `timeout` passes; true when it held.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace quorvel::testing
