#pragma once

#include "Onboarding/OnboardingStep.h"

namespace quorvel {

// The onboarding window's step machine: the page shown and whether an integration selection was saved.
struct OnboardingJourney {
    OnboardingStep step = OnboardingStep::why;
    bool configurationSaved = false;

    void goBack();
    // Stays on the connect page until the configuration is saved.
    void advance();
    void markConfigurationSaved() { configurationSaved = true; }
    bool canFinish() const { return step == OnboardingStep::ready && configurationSaved; }

    bool operator==(const OnboardingJourney&) const = default;
};

} // namespace quorvel
