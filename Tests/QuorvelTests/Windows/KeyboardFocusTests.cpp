#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Platform/ResourceBundle.h"
#include "Support/DarkPalette.h"
#include "Support/KeyPress.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/SettingsSidebarButton.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/ToggleSwitch.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

// Tab reaches every control of a window, and wherever it stops the control looks focused; focus given
// with the mouse shows no ring. Esc and Ctrl+W close the windows.
namespace quorvel {
namespace {

// The control and the margin where its focus ring goes, as the window draws them.
QImage around(QWidget& window, QWidget& control) {
    return window.grab(QRect(control.mapTo(&window, QPoint(0, 0)), control.size()).adjusted(-5, -5, 5, 5))
        .toImage();
}

// Tabs from the window round its whole chain (Tab within a control, as between a text's links, is
// passed over); returns the controls reached.
QList<QWidget*> expectEveryTabStopShowsItsFocus(QWidget& window, const std::string& where) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.setFocus();
    QList<QWidget*> stops;
    for (int step = 0; step < 80; ++step) {
        QWidget* current = QApplication::focusWidget();
        testing::pressKey(current ? current : &window, Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused && focused == current)
            continue;
        if (!focused || focused == &window || stops.contains(focused))
            break;
        stops << focused;
        const QImage shown = around(window, *focused);
        focused->clearFocus();
        EXPECT_TRUE(shown != around(window, *focused)) << where << ": " << focused->metaObject()->className()
                                                       << ' ' << focused->accessibleName().toStdString();
        focused->setFocus(Qt::TabFocusReason);
    }
    EXPECT_GE(stops.size(), 3) << where;
    return stops;
}

// Esc and Ctrl+W close the window as its close button does; a first run's Esc does not end it by accident.
void expectEscAndCtrlWClose(QWidget& window, QWidget& control, bool escCloses = true) {
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), Qt::ControlModifier | Qt::Key_W}) {
        window.show();
        QApplication::setActiveWindow(&window);
        control.setFocus();
        testing::pressKey(&control, keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(window.isVisible(), keys.key() == Qt::Key_Escape && !escCloses)
            << window.windowTitle().toStdString() << ' ' << keys.key();
    }
}

TEST(KeyboardFocus, TabShowsItsFocusEverywhereAClickNowhereAndEscOrCtrlWClose) {
    testing::RecordingWorkspace workspace;
    testing::RecordingAlerts alerts;
    BuildInfo build;
    build.updateFeedURL = "https://quorvel.example/appcast.xml";
    build.websiteURL = "https://quorvel.example/";
    for (const bool dark : {false, true}) {
        std::optional<testing::DarkPalette> palette;
        if (dark)
            palette.emplace();
        SettingsWindowController settings(ResourceBundle::module(),
                                          {[](bool, bool) {}, [](bool) {}, [] {}, [] {}}, build, workspace);
        settings.prepareForShowing(
            {true, true, ClaudeIntegrationHealth::needsRepair, LaunchAtLoginState::enabled});
        settings.window()->show();
        QApplication::setActiveWindow(settings.window());
        const QImage unfocused = around(*settings.window(), *settings.codexSwitch());
        settings.codexSwitch()->setFocus(Qt::MouseFocusReason);
        EXPECT_EQ(around(*settings.window(), *settings.codexSwitch()), unfocused) << "a click shows no ring";
        for (SettingsSidebarButton* section : settings.sectionButtons()) {
            settings.selectSection(section);
            EXPECT_TRUE(expectEveryTabStopShowsItsFocus(*settings.window(), section->text().toStdString())
                            .contains(section));
        }
        expectEscAndCtrlWClose(*settings.window(), *settings.searchField());

        FeedbackWindowController report([](auto&&...) { ADD_FAILURE() << "sent"; }, alerts);
        report.details()->setPlainText("The light stayed amber.");
        EXPECT_TRUE(expectEveryTabStopShowsItsFocus(*report.window(), "report").contains(report.details()));
        expectEscAndCtrlWClose(*report.window(), *report.details());
        EXPECT_EQ(report.details()->toPlainText(), "The light stayed amber.")
            << "nothing typed, nothing lost";
    }
    IntegrationSetupWindowController setup(
        ResourceBundle::module(), [](auto...) { ADD_FAILURE() << "saved"; }, [] {});
    expectEscAndCtrlWClose(*setup.window(), *setup.codexCheckbox());
    OnboardingWindowController onboarding(
        ResourceBundle::module(), [](auto...) {}, [] {}, [] {});
    expectEscAndCtrlWClose(*onboarding.window(), *onboarding.nextButton(), false);
}

} // namespace
} // namespace quorvel
