#pragma once

#include <array>
#include <optional>

namespace quorvel {

// The six onboarding pages, by their whole-number values.
enum class OnboardingStep { why = 0, what = 1, how = 2, find = 3, connect = 4, ready = 5 };

namespace OnboardingSteps {
inline constexpr std::array<OnboardingStep, 6> allCases{OnboardingStep::why,     OnboardingStep::what,
                                                        OnboardingStep::how,     OnboardingStep::find,
                                                        OnboardingStep::connect, OnboardingStep::ready};

constexpr int rawValue(OnboardingStep step) {
    return static_cast<int>(step);
}

// Nothing for values outside 0 to 5.
constexpr std::optional<OnboardingStep> fromRawValue(int value) {
    if (value < rawValue(OnboardingStep::why) || value > rawValue(OnboardingStep::ready))
        return std::nullopt;
    return static_cast<OnboardingStep>(value);
}
} // namespace OnboardingSteps

} // namespace quorvel
