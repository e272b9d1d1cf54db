#include "Onboarding/OnboardingJourney.h"

namespace quorvel {

void OnboardingJourney::goBack() {
    if (auto previous = OnboardingSteps::fromRawValue(OnboardingSteps::rawValue(step) - 1))
        step = *previous;
}

void OnboardingJourney::advance() {
    if (step == OnboardingStep::connect && !configurationSaved)
        return;
    if (auto next = OnboardingSteps::fromRawValue(OnboardingSteps::rawValue(step) + 1))
        step = *next;
}

} // namespace quorvel
