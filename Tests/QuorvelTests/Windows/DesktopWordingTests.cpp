#include "App/StatusTexts.h"
#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Login/AutostartError.h"
#include "Login/LaunchAtLoginError.h"
#include "Platform/ResourceBundle.h"
#include "Support/AppHarness.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/ToggleSwitch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <gtest/gtest.h>

// What the user reads names the keys, places and services of a Linux desktop: the macOS ones the texts
// were first written with must not come back.
namespace quorvel {
namespace {

// The macOS names, each as a pattern: "Mac" as a word, so that "machine" and "Macro" pass.
const QStringList macNames{"\u2325",         "\u2318",     "\\bOption\\b", "\\bCommand\\b",
                           "Control Center", "\\bMac\\b",  "macOS",        "System Settings",
                           "Login Items",    "\\bDock\\b", "Finder",       "[Mm]enu bar"};

QStringList macNamesIn(const QString& text) {
    QStringList found;
    for (const QString& name : macNames)
        if (QRegularExpression(name).match(text).hasMatch())
            found << name;
    return found;
}

// Every text of the window and its controls, shown or not: titles, labels, buttons, hints, accessible
// names and descriptions, tooltips, the items of pop-ups and the contents of text views.
QStringList textsOf(const QWidget& root) {
    QStringList texts{root.windowTitle()};
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>())
        widgets << child;
    for (const QWidget* widget : widgets) {
        texts << widget->accessibleName() << widget->accessibleDescription() << widget->toolTip();
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            texts << label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            texts << button->text();
        if (const auto* field = qobject_cast<const QLineEdit*>(widget))
            texts << field->text() << field->placeholderText();
        if (const auto* view = qobject_cast<const QPlainTextEdit*>(widget))
            texts << view->toPlainText();
        if (const auto* view = qobject_cast<const QTextEdit*>(widget))
            texts << view->toPlainText();
        if (const auto* popUp = qobject_cast<const QComboBox*>(widget))
            for (int index = 0; index < popUp->count(); ++index)
                texts << popUp->itemText(index);
    }
    texts.removeAll(QString());
    return texts;
}

QStringList textsOf(const QMenu& menu) {
    QStringList texts{menu.title()};
    for (const QAction* action : menu.actions()) {
        texts << action->text() << action->toolTip() << action->shortcut().toString(QKeySequence::NativeText);
        if (action->menu())
            texts << textsOf(*action->menu());
    }
    texts.removeAll(QString());
    return texts;
}

void expectNoMacNames(const QStringList& texts, const std::string& where) {
    EXPECT_FALSE(texts.isEmpty()) << where;
    for (const QString& text : texts)
        EXPECT_TRUE(macNamesIn(text).isEmpty()) << where << ": " << macNamesIn(text).join(", ").toStdString()
                                                << " in \"" << text.toStdString() << '"';
}

TEST(DesktopWording, TheCheckFindsEveryMacNameTheTextsOnceHad) {
    for (const char* text :
         {"Press \u2325\u2318L to open.", "Option + Command + L",
          "Command-drag the icon toward Control Center if the menu bar is crowded.", "sign in to this Mac.",
          "macOS needs you to allow Quorvel in System Settings \u2192 General \u2192 Login Items.",
          "Open Login Items\u2026", "Press Shift-Command-4 and capture the prompt", "Keep it in the Dock."})
        EXPECT_FALSE(macNamesIn(QString::fromUtf8(text)).isEmpty()) << text;
    for (const char* text : {"Press Alt+Super+L to open.", "on this machine", "a command-line helper",
                             "Macros", "If the panel is crowded, set the tray to always show this icon."})
        EXPECT_TRUE(macNamesIn(QString::fromUtf8(text)).isEmpty()) << text;
}

TEST(DesktopWording, TheSettingsWindowInEveryStateNamesNoMacKeyOrPlace) {
    testing::RecordingWorkspace workspace;
    std::exception_ptr launchFailure;
    SettingsWindowController settings(
        ResourceBundle::module(),
        {[](bool, bool) {}, [&](bool) { std::rethrow_exception(launchFailure); }, [] {}, [] {}}, BuildInfo{},
        workspace);
    for (const bool shortcut : {true, false}) {
        settings.prepareForShowing(
            {true, true, ClaudeIntegrationHealth::needsRepair, LaunchAtLoginState::needsApproval, shortcut});
        expectNoMacNames(textsOf(*settings.window()), "settings");
    }
    for (const auto& failure : {std::make_exception_ptr(LaunchAtLoginError::needsApproval()),
                                std::make_exception_ptr(AutostartError(
                                    std::make_error_code(std::errc::read_only_file_system),
                                    "Quorvel could not save its autostart entry in /x: read-only "
                                    "file system."))}) {
        launchFailure = failure;
        settings.launchSwitch()->click();
        expectNoMacNames(textsOf(*settings.window()), "settings after a failed launch change");
    }
}

TEST(DesktopWording, TheOnboardingPagesNameNoMacKeyOrPlace) {
    OnboardingWindowController onboarding(
        ResourceBundle::module(), [](bool, bool, bool) { throw LaunchAtLoginError::needsApproval(); }, [] {},
        [] {});
    for (const bool shortcut : {true, false}) {
        onboarding.prepare(true, true, true, shortcut);
        for (int page = 1; page <= 5; ++page) {
            expectNoMacNames(textsOf(*onboarding.window()), "onboarding page " + std::to_string(page));
            onboarding.goForward();
            onboarding.finishSliding();
        }
        expectNoMacNames(textsOf(*onboarding.window()), "onboarding with a failed login item");
    }
}

TEST(DesktopWording, TheSetupAndReportWindowsNameNoMacKeyOrPlace) {
    IntegrationSetupWindowController setup(
        ResourceBundle::module(), [](bool, bool, bool, bool) { throw LaunchAtLoginError::needsApproval(); },
        [] {});
    for (const bool firstRun : {true, false}) {
        setup.configure(true, true, true, firstRun);
        setup.save();
        expectNoMacNames(textsOf(*setup.window()), firstRun ? "first-run setup" : "setup");
    }

    testing::RecordingAlerts alerts;
    FeedbackWindowController report(
        [](const QString&, const QString&, const PreparedFeedbackScreenshot&, BugReportCompletion) {},
        alerts);
    report.setServiceUnavailable("The Quorvel support service is not configured.");
    expectNoMacNames(textsOf(*report.window()), "report window");
}

TEST(DesktopWording, TheTrayAndItsMenuNameNoMacKeyOrPlace) {
    const QString summary = StatusTexts::summary({{LightState::waiting, 1}});
    expectNoMacNames({StatusTexts::toolTip(summary, true), StatusTexts::toolTip(summary, false)}, "tooltip");

    for (const bool grantsHotKey : {true, false}) {
        testing::AppHarness harness;
        harness.grantsHotKey = grantsHotKey;
        auto& delegate = harness.launch();
        expectNoMacNames({harness.item->toolTip, harness.item->accessibilityLabel}, "tray");
        expectNoMacNames(textsOf(*delegate.menu()), "menu");
    }
}

} // namespace
} // namespace quorvel
