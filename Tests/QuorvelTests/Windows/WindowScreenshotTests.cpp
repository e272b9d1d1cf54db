#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Platform/ResourceBundle.h"
#include "Services/TestImages.h"
#include "TestSupport.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsSidebarButton.h"
#include "Windows/SettingsWindowController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

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
void capture(QWidget& window, const QString& name) {
    window.show();
    window.raise();
    window.activateWindow();
    settle();
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

class WindowScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        if (screenshotFolder().isEmpty())
            GTEST_SKIP() << "QUORVEL_SCREENSHOT_DIR is not set";
        QDir().mkpath(screenshotFolder());
    }

    testing::RecordingWorkspace workspace;
};

BuildInfo sampleBuild() {
    BuildInfo info;
    info.shortVersion = QStringLiteral("1.4.0");
    info.commitHash = QStringLiteral("3f9c2ab");
    info.websiteURL = QStringLiteral("https://quorvel.example");
    return info;
}

TEST_F(WindowScreenshots, Settings) {
    SettingsWindowController settings(
        ResourceBundle::module(), {[](bool, bool) {}, [](bool) {}, [] {}, [] {}}, sampleBuild(), workspace);
    settings.prepareForShowing(
        {true, true, ClaudeIntegrationHealth::needsRepair, LaunchAtLoginState::needsApproval});
    const char* names[] = {"settings-integrations", "settings-general", "settings-privacy",
                           "settings-terms",        "settings-about",   "settings-licences"};
    for (int index = 0; index < 6; ++index) {
        settings.selectSection(settings.sectionButtons()[index]);
        settings.showWindow();
        capture(*settings.window(), QString::fromLatin1(names[index]));
    }
    settings.window()->close();
}

// A dark desktop, and a build without a website (the legal links disabled).
TEST_F(WindowScreenshots, DarkAppearance) {
    const QPalette saved = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(40, 40, 42));
    dark.setColor(QPalette::WindowText, QColor(236, 236, 240));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
    dark.setColor(QPalette::Text, QColor(236, 236, 240));
    dark.setColor(QPalette::Button, QColor(58, 58, 62));
    dark.setColor(QPalette::ButtonText, QColor(236, 236, 240));
    dark.setColor(QPalette::Highlight, QColor(10, 132, 255));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(64, 156, 255));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 124));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 124));
    QApplication::setPalette(dark);
    {
        SettingsWindowController settings(
            ResourceBundle::module(), {[](bool, bool) {}, [](bool) {}, [] {}, [] {}}, BuildInfo{}, workspace);
        settings.prepareForShowing(
            {true, false, ClaudeIntegrationHealth::disabled, LaunchAtLoginState::disabled});
        for (int index : {0, 4}) {
            settings.selectSection(settings.sectionButtons()[index]);
            settings.showWindow();
            capture(*settings.window(), index == 0 ? QStringLiteral("dark-settings-integrations")
                                                   : QStringLiteral("dark-settings-about"));
        }
        settings.window()->close();
        IntegrationSetupWindowController setup(
            ResourceBundle::module(), [](bool, bool, bool, bool) {}, [] {});
        setup.configure(true, true, false, false);
        capture(*setup.window(), QStringLiteral("dark-integration-setup"));
        setup.window()->close();
    }
    QApplication::setPalette(saved);
}

TEST_F(WindowScreenshots, IntegrationSetup) {
    IntegrationSetupWindowController setup(
        ResourceBundle::module(), [](bool, bool, bool, bool) {}, [] {});
    setup.configure(true, false, true, true);
    capture(*setup.window(), QStringLiteral("integration-setup-first-run"));
    setup.configure(true, true, false, false);
    capture(*setup.window(), QStringLiteral("integration-setup"));
    setup.window()->close();
}

TEST_F(WindowScreenshots, OnboardingPages) {
    OnboardingWindowController onboarding(
        ResourceBundle::module(), [](bool, bool, bool) {}, [] {}, [] {});
    onboarding.prepare(true, true, true);
    for (int page = 1; page <= 6; ++page) {
        capture(*onboarding.window(), QStringLiteral("onboarding-%1").arg(page));
        onboarding.goForward();
        onboarding.finishSliding();
    }
    onboarding.window()->close();
}

TEST_F(WindowScreenshots, IssueReport) {
    testing::TemporaryDirectory folder;
    const QByteArray png = testing::encoded(testing::quarteredImage(QSize(1200, 600)), "png");
    testing::writeFile(folder / "approval-waiting.png", std::string_view(png.constData(), png.size()));
    testing::RecordingAlerts alerts;
    FeedbackWindowController report(
        [](const QString&, const QString&, const PreparedFeedbackScreenshot&, BugReportCompletion) {}, alerts,
        [&](QWidget*) { return std::optional(folder / "approval-waiting.png"); });
    capture(*report.window(), QStringLiteral("issue-report"));
    report.details()->setPlainText(
        QStringLiteral("Claude Code asked to run a command; the lamp stayed green."));
    report.chooseScreenshot();
    report.sendReport();
    capture(*report.window(), QStringLiteral("issue-report-sending"));
    report.window()->close();
}

} // namespace
} // namespace quorvel
