#include "Onboarding/OnboardingJourney.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

OnboardingJourney advanced(int times, OnboardingJourney journey = {}) {
    for (int i = 0; i < times; ++i)
        journey.advance();
    return journey;
}

TEST(OnboardingStep, ValuesRunFromZeroToFiveInOrder) {
    for (int value = 0; value < 6; ++value) {
        EXPECT_EQ(OnboardingSteps::rawValue(OnboardingSteps::allCases[value]), value);
        EXPECT_EQ(OnboardingSteps::fromRawValue(value), OnboardingSteps::allCases[value]);
    }
    EXPECT_EQ(OnboardingSteps::fromRawValue(-1), std::nullopt);
    EXPECT_EQ(OnboardingSteps::fromRawValue(6), std::nullopt);
}

TEST(OnboardingJourney, StartsAtTheFirstPageAndCannotGoBackFromIt) {
    OnboardingJourney journey;
    EXPECT_EQ(journey.step, OnboardingStep::why);
    EXPECT_FALSE(journey.configurationSaved);
    journey.goBack();
    EXPECT_EQ(journey.step, OnboardingStep::why);
}

TEST(OnboardingJourney, WaitsOnConnectUntilTheConfigurationIsSaved) {
    OnboardingJourney journey = advanced(4);
    EXPECT_EQ(journey.step, OnboardingStep::connect);
    journey.advance();
    EXPECT_EQ(journey.step, OnboardingStep::connect);
    journey.markConfigurationSaved();
    journey.advance();
    EXPECT_EQ(journey.step, OnboardingStep::ready);
}

TEST(OnboardingJourney, FinishesOnlyOnTheLastPageWithASavedConfiguration) {
    OnboardingJourney journey = advanced(4);
    journey.markConfigurationSaved();
    EXPECT_FALSE(journey.canFinish());
    journey = advanced(3, journey);
    EXPECT_EQ(journey.step, OnboardingStep::ready);
    EXPECT_TRUE(journey.canFinish());

    EXPECT_FALSE((OnboardingJourney{OnboardingStep::ready, false}).canFinish());
}

TEST(OnboardingJourney, GoingBackKeepsTheSavedConfiguration) {
    OnboardingJourney journey = advanced(4);
    journey.markConfigurationSaved();
    journey.advance();
    journey.goBack();
    EXPECT_EQ(journey.step, OnboardingStep::connect);
    EXPECT_TRUE(journey.configurationSaved);
    journey.advance();
    EXPECT_EQ(journey.step, OnboardingStep::ready);
}

} // namespace
} // namespace quorvel
