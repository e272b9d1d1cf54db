#pragma once

#include "Onboarding/OnboardingStep.h"

#include <QString>

namespace quorvel {

// The words of the onboarding pages.
namespace OnboardingPageText {

QString title(OnboardingStep step);
// The pages that speak of the shortcut mention it only where the desktop session let Quorvel have it.
QString body(OnboardingStep step, bool shortcutAvailable);
// The illustration of the page ("Onboarding/NAME.png"), or empty for the pages without one.
QString illustration(OnboardingStep step);
// "Connected: Codex + Claude Code   ·   Launch at login: On".
QString summary(bool codex, bool claude, bool launchAtLogin);
// "1 OF 6".
QString indicator(OnboardingStep step);

} // namespace OnboardingPageText
} // namespace quorvel
