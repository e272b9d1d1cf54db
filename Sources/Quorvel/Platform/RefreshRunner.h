#pragma once

#include "Refresh/RefreshSnapshot.h"

#include <functional>

namespace quorvel {

// Runs one refresh of every source off the main thread.
class RefreshRunner {
public:
    using Completion = std::function<void(RefreshSnapshot snapshot)>;

    virtual ~RefreshRunner() = default;

    // Reads the sources with the providers enabled as given; the snapshot arrives on the main thread.
    virtual void start(bool codexEnabled, bool claudeEnabled, Completion completion) = 0;
};

} // namespace quorvel
