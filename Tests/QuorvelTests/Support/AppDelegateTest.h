#pragma once

#include "Support/AppHarness.h"

#include <gtest/gtest.h>
#include <string_view>

namespace quorvel::testing {

// A test of the delegate over the harness, launched by the test with the settings it wants.
class AppDelegateTest : public ::testing::Test {
protected:
    // Writes the settings (none: the defaults) and launches; the first refresh is then held.
    void launch(std::string_view settings = {}) {
        if (!settings.empty())
            harness.writeSettings(settings);
        delegate = &harness.launch();
    }
    Date now() const { return harness.clock->current; }
    Date minutesAgo(double minutes) const { return now() - minutes * 60; }

    AppHarness harness;
    RecordingAppDelegate* delegate = nullptr;
};

} // namespace quorvel::testing
