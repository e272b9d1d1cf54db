#include "Windows/OnboardingPageText.h"

#include "App/ShortcutKeys.h"

#include <QStringList>

namespace quorvel::OnboardingPageText {

QString title(OnboardingStep step) {
    switch (step) {
    case OnboardingStep::why:
        return QStringLiteral("Your AI agents are waiting on you.");
    case OnboardingStep::what:
        return QStringLiteral("Know what needs you.");
    case OnboardingStep::how:
        return QStringLiteral("Find your way back in one click.");
    case OnboardingStep::find:
        return QStringLiteral("Can't see Quorvel?");
    case OnboardingStep::connect:
        return QStringLiteral("Connect your coding assistants.");
    case OnboardingStep::ready:
        return QStringLiteral("You're ready to stay in the loop.");
    }
    return {};
}

QString body(OnboardingStep step, bool shortcutAvailable) {
    const QString keys = ShortcutKeys::combination();
    switch (step) {
    case OnboardingStep::why:
        return QStringLiteral(
            "Now you know when. Quorvel keeps every Codex and Claude Code task in sight, even "
            "when you're working on several things at once.");
    case OnboardingStep::what:
        return QStringLiteral("Red needs your attention. Amber is working. Blue has a new response. Green is "
                              "finished and read.");
    case OnboardingStep::how:
        return QStringLiteral("Click a light to see your tasks, then click a task to jump back to its "
                              "conversation.");
    case OnboardingStep::find:
        return QStringLiteral("If the icon gets lost in a crowded panel, ") +
               (shortcutAvailable ? QStringLiteral("press ") + keys + QStringLiteral(" to open Quorvel. ")
                                  : QStringLiteral("look for it among the tray\u2019s hidden icons. ") +
                                        ShortcutKeys::commandBinding() + u' ') +
               QStringLiteral("When you can see the icon, set the tray to always show it to keep it easy "
                              "to find.");
    case OnboardingStep::connect:
        return QStringLiteral("Choose the assistants you use today. You can change this later in Settings.");
    case OnboardingStep::ready:
        return QStringLiteral("Quorvel lives in your tray.") +
               (shortcutAvailable
                    ? QStringLiteral(" Press ") + keys + QStringLiteral(" whenever you need to find it.")
                    : QString());
    }
    return {};
}

QString illustration(OnboardingStep step) {
    switch (step) {
    case OnboardingStep::why:
        return QStringLiteral("why");
    case OnboardingStep::what:
        return QStringLiteral("what");
    case OnboardingStep::how:
        return QStringLiteral("how");
    case OnboardingStep::ready:
        return QStringLiteral("ready");
    case OnboardingStep::find:
    case OnboardingStep::connect:
        break;
    }
    return {};
}

QString summary(bool codex, bool claude, bool launchAtLogin) {
    QStringList assistants;
    if (codex)
        assistants << QStringLiteral("Codex");
    if (claude)
        assistants << QStringLiteral("Claude Code");
    return QStringLiteral("Connected: ") + assistants.join(QStringLiteral(" + ")) +
           QStringLiteral("   \u00b7   Launch at login: ") +
           (launchAtLogin ? QStringLiteral("On") : QStringLiteral("Off"));
}

QString indicator(OnboardingStep step) {
    return QString::number(OnboardingSteps::rawValue(step) + 1) + QStringLiteral(" OF ") +
           QString::number(OnboardingSteps::allCases.size());
}

} // namespace quorvel::OnboardingPageText
