#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Platform/ResourceBundle.h"
#include "Support/DarkPalette.h"
#include "Support/KeyPress.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/SettingsSidebarButton.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/ToggleSwitch.h"

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

// Tab reaches every control of a window, and wherever it stops the control looks focused.
namespace quorvel {
namespace {

// The control and the margin where its focus ring goes, as the window draws them.
QImage around(QWidget& window, QWidget& control) {
    const QRect area(control.mapTo(&window, QPoint(0, 0)), control.size());
    return window.grab(area.adjusted(-5, -5, 5, 5)).toImage();
}

std::string describe(const QWidget& control) {
    const QString name = control.accessibleName().isEmpty() ? control.objectName() : control.accessibleName();
    return std::string(control.metaObject()->className()) + " \"" + name.toStdString() + '"';
}

// Tabs from the window itself round the whole chain; returns the controls in the order reached.
QList<QWidget*> expectEveryTabStopShowsItsFocus(QWidget& window, const std::string& where) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.setFocus();
    QList<QWidget*> stops;
    for (int step = 0; step < 80; ++step) {
        QWidget* current = QApplication::focusWidget();
        testing::pressKey(current ? current : &window, Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused == current && current)
            continue; // Tab moved within the control, as between a text's links
        if (!focused || focused == &window || stops.contains(focused))
            break;
        stops << focused;
        const QImage shown = around(window, *focused);
        focused->clearFocus();
        EXPECT_TRUE(shown != around(window, *focused)) << where << ": " << describe(*focused);
        focused->setFocus(Qt::TabFocusReason);
    }
    EXPECT_GE(stops.size(), 3) << where;
    return stops;
}

class KeyboardFocus : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam())
            dark.emplace();
        QApplication::processEvents();
    }

    std::optional<testing::DarkPalette> dark;
};

TEST_P(KeyboardFocus, EverySettingsSectionShowsTheFocusAtEveryTabStop) {
    testing::RecordingWorkspace workspace;
    BuildInfo build;
    build.updateFeedURL = "https://quorvel.example/appcast.xml";
    build.websiteURL = "https://quorvel.example/";
    SettingsWindowController settings(ResourceBundle::module(),
                                      {[](bool, bool) {}, [](bool) {}, [] {}, [] {}}, build, workspace);
    settings.prepareForShowing(
        {true, true, ClaudeIntegrationHealth::needsRepair, LaunchAtLoginState::enabled});
    for (SettingsSidebarButton* section : settings.sectionButtons()) {
        settings.selectSection(section);
        const QList<QWidget*> stops =
            expectEveryTabStopShowsItsFocus(*settings.window(), section->text().toStdString());
        EXPECT_TRUE(stops.contains(section)) << section->text().toStdString();
    }

    // A control focused by a click shows no ring.
    settings.selectSection(settings.sectionButtons()[1]);
    ToggleSwitch* launch = settings.launchSwitch();
    launch->clearFocus();
    const QImage unfocused = around(*settings.window(), *launch);
    launch->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(around(*settings.window(), *launch), unfocused);
    settings.window()->close();
}

TEST_P(KeyboardFocus, TheReportFormShowsTheFocusAtEveryTabStopAndTabLeavesTheDescription) {
    testing::RecordingAlerts alerts;
    FeedbackWindowController report(
        [](const QString&, const QString&, const PreparedFeedbackScreenshot&, BugReportCompletion) {}, alerts,
        [](QWidget*) { return std::nullopt; });
    report.details()->setPlainText("The light stayed amber.");
    const QList<QWidget*> stops = expectEveryTabStopShowsItsFocus(*report.window(), "report window");
    EXPECT_TRUE(stops.contains(report.details()));
    EXPECT_TRUE(stops.contains(report.submitButton()));
    EXPECT_EQ(report.details()->toPlainText(), "The light stayed amber.") << "Tab types nothing";

    report.details()->setFocus(Qt::TabFocusReason);
    testing::pressKey(report.details(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), report.provider()) << "Shift+Tab goes back";
    report.window()->close();
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, KeyboardFocus, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

} // namespace
} // namespace quorvel
