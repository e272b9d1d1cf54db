#include "App/StatusTexts.h"
#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Login/LaunchAtLoginError.h"
#include "Model/StatusError.h"
#include "Platform/ResourceBundle.h"
#include "Services/TestImages.h"
#include "Support/BuildOf.h"
#include "Support/DarkPalette.h"
#include "Support/WrittenFile.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsSidebarButton.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/ToggleSwitch.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QThread>
#include <QToolTip>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <optional>

// Pictures of every window for people to look at: written only when QUORVEL_SCREENSHOT_DIR names a
// folder (Tests/Integration/windows-screenshots.sh runs these under a real X server with a window
// manager).
namespace quorvel {
namespace {

QString screenshotFolder() {
    return qEnvironmentVariable("QUORVEL_SCREENSHOT_DIR");
}

void settle(int milliseconds = 250) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// The window with its frame from the screen, or the widget alone where there is no window system.
void save(QWidget& window, const QString& name) {
    QPixmap picture;
    QScreen* screen = window.screen();
    if (QGuiApplication::platformName() == QLatin1String("xcb") && screen)
        picture = screen->grabWindow(0, window.frameGeometry().x(), window.frameGeometry().y(),
                                     window.frameGeometry().width(), window.frameGeometry().height());
    else
        picture = window.grab();
    const QString path = QDir(screenshotFolder()).filePath(name + QStringLiteral(".png"));
    ASSERT_TRUE(picture.save(path, "PNG")) << path.toStdString();
}

// The window in front of the others.
void capture(QWidget& window, const QString& name) {
    window.show();
    window.raise();
    window.activateWindow();
    settle();
    save(window, name);
}

// The tray's tooltip as Qt shows it beside an XEmbed tray icon, in the application's palette.
void captureToolTip(const QString& text, const QString& name) {
    QToolTip::showText(QPoint(120, 120), text);
    settle(400);
    QWidget* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            tip = widget;
    ASSERT_NE(tip, nullptr) << "no tooltip shown";
    save(*tip, name);
    QToolTip::hideText();
    settle(100);
}

void captureToolTips(const QString& prefix) {
    const QString summary = StatusTexts::summary(
        {{LightState::waiting, 1}, {LightState::working, 2}, {LightState::unread, 1}, {LightState::done, 3}});
    captureToolTip(StatusTexts::toolTip(summary, true), prefix + QStringLiteral("tooltip"));
    captureToolTip(StatusTexts::toolTip(summary, false), prefix + QStringLiteral("tooltip-no-shortcut"));
}

// The window with `control` focused from the keyboard.
void captureFocused(QWidget& window, QWidget* control, const QString& name) {
    window.show();
    window.activateWindow();
    for (int wait = 0; wait < 20 && !window.isActiveWindow(); ++wait)
        settle(100);
    control->clearFocus(); // it may have the focus the window gave it, which shows no ring
    control->setFocus(Qt::TabFocusReason);
    capture(window, name);
}

// Every section of the settings window, named after it.
void captureSections(SettingsWindowController& settings, const QString& prefix) {
    const char* names[] = {"settings-integrations", "settings-general", "settings-privacy",
                           "settings-terms",        "settings-about",   "settings-licences"};
    for (int index = 0; index < 6; ++index) {
        settings.selectSection(settings.sectionButtons()[index]);
        settings.showWindow();
        capture(*settings.window(), prefix + QString::fromLatin1(names[index]));
    }
    settings.window()->close();
}

// Moves on through the onboarding without waiting for the slides.
void forward(OnboardingWindowController& onboarding, int pages) {
    for (int page = 0; page < pages; ++page) {
        onboarding.goForward();
        onboarding.finishSliding();
    }
}

// The six onboarding pages, from the first.
void captureOnboarding(OnboardingWindowController& onboarding, const QString& prefix) {
    for (int page = 1; page <= 6; ++page) {
        capture(*onboarding.window(), prefix + QStringLiteral("onboarding-%1").arg(page));
        forward(onboarding, 1);
    }
    onboarding.window()->close();
}

// What the windows are given to do, where the pictures need nothing done.
const SettingsWindowController::Actions ignoreSettings{[](bool, bool) {}, [](bool) {}, [] {}, [] {}};
const auto noAction = [] {};
const auto ignoreSetup = [](bool, bool, bool, bool) {};
const auto ignoreOnboarding = [](bool, bool, bool) {};
const auto ignoreReport = [](const QString&, const QString&, const PreparedFeedbackScreenshot&,
                             BugReportCompletion) {};

using Health = ClaudeIntegrationHealth;
using Login = LaunchAtLoginState;

class WindowScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        if (screenshotFolder().isEmpty())
            GTEST_SKIP() << "QUORVEL_SCREENSHOT_DIR is not set";
        QDir().mkpath(screenshotFolder());
    }

    testing::RecordingWorkspace workspace;
    testing::RecordingAlerts alerts;
};

// A build with a website and an update feed, Claude Code's hooks needing repair, the login item awaiting
// approval; then a build with neither, in a session without the shortcut.
TEST_F(WindowScreenshots, Settings) {
    BuildInfo build = testing::buildOf("1.4.0", "3f9c2ab", "https://quorvel.example");
    build.updateFeedURL = "https://quorvel.example/appcast.xml";
    SettingsWindowController settings(ResourceBundle::module(), ignoreSettings, build, workspace);
    settings.prepareForShowing({true, true, Health::needsRepair, Login::needsApproval});
    captureSections(settings, QString());

    // The licence card further down, where the long licences begin.
    auto* licences = settings.tabs()->widget(5)->findChild<QPlainTextEdit*>();
    ASSERT_NE(licences, nullptr);
    ASSERT_TRUE(licences->find("GNU LESSER GENERAL PUBLIC LICENSE", QTextDocument::FindCaseSensitively));
    QTextCursor cursor = licences->textCursor();
    cursor.clearSelection();
    licences->setTextCursor(cursor);
    licences->verticalScrollBar()->setValue(licences->verticalScrollBar()->value() + 8);
    settings.selectSection(settings.sectionButtons()[5]);
    capture(*settings.window(), "settings-licences-lgpl");
    settings.window()->close();

    SettingsWindowController plain(ResourceBundle::module(), ignoreSettings, BuildInfo{}, workspace);
    plain.prepareForShowing({true, false, Health::disabled, Login::disabled, false});
    plain.selectSection(plain.sectionButtons()[1]);
    plain.showWindow();
    capture(*plain.window(), "settings-general-no-shortcut");
    plain.window()->close();
}

TEST_F(WindowScreenshots, ToolTips) {
    captureToolTips(QString());
}

// Windows shown on a light desktop that then turns dark, in a build without a website (no online legal
// links) or a support service: once with a desktop theme's palette, once with Qt's own dark palette.
TEST_F(WindowScreenshots, DarkAppearance) {
    for (const auto& [prefix, palette] :
         {std::pair{QStringLiteral("dark-"), testing::DarkPalette::colours()},
          std::pair{QStringLiteral("qtdark-"), testing::DarkPalette::derived()}}) {
        SettingsWindowController settings(ResourceBundle::module(), ignoreSettings, BuildInfo{}, workspace);
        settings.prepareForShowing({true, true, Health::needsRepair, Login::disabled});
        IntegrationSetupWindowController setup(ResourceBundle::module(), ignoreSetup, noAction);
        setup.configure(true, true, false, false);
        OnboardingWindowController onboarding(ResourceBundle::module(), ignoreOnboarding, noAction, noAction);
        onboarding.prepare(true, false, true);
        FeedbackWindowController report(ignoreReport, alerts);
        report.setServiceUnavailable("The Quorvel support service is not configured.");

        for (QWidget* window : {settings.window(), setup.window(), onboarding.window(), report.window()})
            window->show();
        settle();

        testing::DarkPalette dark(palette);
        captureSections(settings, prefix);
        capture(*setup.window(), prefix + "integration-setup");
        setup.window()->close();
        captureOnboarding(onboarding, prefix);
        capture(*report.window(), prefix + "issue-report");
        report.window()->close();
        captureToolTips(prefix);
    }
}

// The focus ring in each kind of window, on a light and a dark desktop.
TEST_F(WindowScreenshots, KeyboardFocus) {
    for (const bool darkDesktop : {false, true}) {
        std::optional<testing::DarkPalette> dark;
        if (darkDesktop)
            dark.emplace();
        const QString prefix = darkDesktop ? QStringLiteral("focus-dark-") : QStringLiteral("focus-");
        SettingsWindowController settings(ResourceBundle::module(), ignoreSettings, BuildInfo{}, workspace);
        settings.prepareForShowing({true, false, Health::disabled, Login::disabled});
        captureFocused(*settings.window(), settings.codexSwitch(), prefix + "settings-switch");
        IntegrationSetupWindowController setup(ResourceBundle::module(), ignoreSetup, noAction);
        setup.configure(true, false, true, false);
        captureFocused(*setup.window(), setup.codexCheckbox(), prefix + "integration-setup-checkbox");
        OnboardingWindowController onboarding(ResourceBundle::module(), ignoreOnboarding, noAction, noAction);
        onboarding.prepare(true, false, true);
        forward(onboarding, 4);
        captureFocused(*onboarding.window(), onboarding.nextButton(), prefix + "onboarding-continue");
        FeedbackWindowController report(ignoreReport, alerts);
        captureFocused(*report.window(), report.details(), prefix + "issue-report-description");
    }
}

TEST_F(WindowScreenshots, IntegrationSetup) {
    IntegrationSetupWindowController setup(ResourceBundle::module(), ignoreSetup, noAction);
    setup.configure(true, false, true, true);
    capture(*setup.window(), "integration-setup-first-run");
    setup.configure(true, true, false, false);
    capture(*setup.window(), "integration-setup");
    setup.window()->close();

    // The longest failure text.
    IntegrationSetupWindowController failing(
        ResourceBundle::module(), [](bool, bool, bool, bool) { throw StatusError::invalidRecord(); },
        noAction);
    failing.configure(true, true, true, false);
    failing.save();
    capture(*failing.window(), "integration-setup-error");
    failing.window()->close();
}

TEST_F(WindowScreenshots, OnboardingPages) {
    OnboardingWindowController onboarding(ResourceBundle::module(), ignoreOnboarding, noAction, noAction);
    onboarding.prepare(true, true, true);
    captureOnboarding(onboarding, QString());

    // A session that did not let Quorvel have its shortcut: the pages that name it.
    onboarding.prepare(true, true, true, false);
    forward(onboarding, 3);
    capture(*onboarding.window(), "onboarding-4-no-shortcut");
    forward(onboarding, 2);
    capture(*onboarding.window(), "onboarding-6-no-shortcut");
    onboarding.window()->close();

    // A login-item failure on the connect page, with the button that only it shows.
    OnboardingWindowController failing(
        ResourceBundle::module(), [](bool, bool, bool) { throw LaunchAtLoginError::needsApproval(); },
        noAction, noAction);
    failing.prepare(true, false, true);
    forward(failing, 4);
    failing.goForward();
    capture(*failing.window(), "onboarding-5-error");
    failing.window()->close();
}

TEST_F(WindowScreenshots, IssueReport) {
    testing::TemporaryDirectory folder;
    const auto screenshot = testing::written(
        folder / "approval-waiting.png", testing::encoded(testing::quarteredImage(QSize(1200, 600)), "png"));
    FeedbackWindowController report(ignoreReport, alerts,
                                    [&](QWidget*) { return std::optional(screenshot); });
    capture(*report.window(), "issue-report");
    report.details()->setPlainText("Claude Code asked to run a command; the lamp stayed green.");
    report.chooseScreenshot();
    report.sendReport();
    capture(*report.window(), "issue-report-sending");
    report.window()->close();

    FeedbackWindowController unconfigured(ignoreReport, alerts);
    unconfigured.setServiceUnavailable("The Quorvel support service is not configured.");
    capture(*unconfigured.window(), "issue-report-unconfigured");
    unconfigured.window()->close();
}

} // namespace
} // namespace quorvel
