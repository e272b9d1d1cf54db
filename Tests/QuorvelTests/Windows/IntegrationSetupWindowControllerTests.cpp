#include "Login/LaunchAtLoginError.h"
#include "Platform/ResourceBundle.h"
#include "Windows/IntegrationSetupError.h"
#include "Windows/IntegrationSetupWindowController.h"
#include "Windows/TextLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <gtest/gtest.h>
#include <stdexcept>

namespace quorvel {
namespace {

struct Selection {
    bool codex, claude, launchAtLogin, firstRun;
    bool operator==(const Selection&) const = default;
};

class IntegrationSetupWindow : public ::testing::Test {
protected:
    void TearDown() override { controller.window()->close(); }

    void show(bool codex, bool claude, bool launchAtLogin, bool firstRun) {
        controller.configure(codex, claude, launchAtLogin, firstRun);
        controller.showWindow();
    }

    std::vector<Selection> applied;
    std::exception_ptr failure;
    int loginItemsOpened = 0;
    IntegrationSetupWindowController controller{ResourceBundle::module(),
                                                [this](bool codex, bool claude, bool launch, bool firstRun) {
                                                    applied.push_back({codex, claude, launch, firstRun});
                                                    if (failure)
                                                        std::rethrow_exception(failure);
                                                },
                                                [this] { ++loginItemsOpened; }};
};

TEST_F(IntegrationSetupWindow, TheFirstRunAndTheLaterWordings) {
    controller.configure(true, false, true, true);
    EXPECT_EQ(controller.window()->windowTitle(), "Welcome to Quorvel");
    EXPECT_EQ(controller.heading()->text(), "Welcome to Quorvel");
    EXPECT_EQ(controller.introduction()->text(),
              QStringLiteral(
                  "Working on several things at once? Quorvel keeps Codex and Claude Code visible in your "
                  "tray, so you can see what is working, waiting for you, or finished without losing "
                  "track.\n\nConnect the coding assistant you use. You can add the other one later from "
                  "the Quorvel menu."));
    EXPECT_EQ(controller.saveButton()->text(), "Connect and start");
    EXPECT_TRUE(controller.firstRun());

    controller.configure(false, true, false, false);
    EXPECT_EQ(controller.window()->windowTitle(), "Quorvel integrations");
    EXPECT_EQ(controller.heading()->text(), "Choose your integrations");
    EXPECT_EQ(controller.introduction()->text(), "Choose which coding assistants Quorvel should monitor.");
    EXPECT_EQ(controller.saveButton()->text(), "Save changes");
    EXPECT_FALSE(controller.codexCheckbox()->isChecked());
    EXPECT_TRUE(controller.claudeCheckbox()->isChecked());
    EXPECT_FALSE(controller.launchAtLoginCheckbox()->isChecked());
    EXPECT_EQ(controller.window()->width(), 560);
    EXPECT_GE(controller.window()->height(), 550);
}

TEST_F(IntegrationSetupWindow, SavingHandsOnTheCheckBoxesAndTheFirstRunFlagThenCloses) {
    show(true, false, true, true);
    controller.claudeCheckbox()->setChecked(true);
    controller.saveButton()->click();
    EXPECT_EQ(applied, (std::vector<Selection>{{true, true, true, true}}));
    EXPECT_FALSE(controller.window()->isVisible());
}

TEST_F(IntegrationSetupWindow, NoProviderShowsTheReasonInRedWithoutTheLoginItemsButtonAndStaysOpen) {
    show(false, false, false, false);
    failure = std::make_exception_ptr(IntegrationSetupError::providerRequired());
    controller.saveButton()->click();
    EXPECT_TRUE(controller.window()->isVisible());
    EXPECT_FALSE(controller.errorLabel()->isHidden());
    EXPECT_EQ(controller.errorLabel()->text(), "Choose Codex, Claude Code, or both.");
    EXPECT_EQ(controller.errorLabel()->textColour(), TextColour::systemRed);
    EXPECT_TRUE(controller.settingsButton()->isHidden());
    EXPECT_FALSE(controller.codexCheckbox()->isChecked()) << "the check boxes stay as the user left them";
}

TEST_F(IntegrationSetupWindow, AnApprovalFailureOffersTheLoginItemsWhichOpenWithoutClosing) {
    show(true, false, true, false);
    failure = std::make_exception_ptr(LaunchAtLoginError::needsApproval());
    controller.saveButton()->click();
    EXPECT_EQ(controller.errorLabel()->text(),
              "Your desktop needs you to allow Quorvel in its autostart settings.");
    ASSERT_FALSE(controller.settingsButton()->isHidden());
    EXPECT_EQ(controller.settingsButton()->text(), "Open Autostart Folder\u2026");
    controller.settingsButton()->click();
    EXPECT_EQ(loginItemsOpened, 1);
    EXPECT_TRUE(controller.window()->isVisible());
}

TEST_F(IntegrationSetupWindow, AFailedSaveThenASuccessfulOneHidesTheErrorAndCloses) {
    show(true, true, false, false);
    failure = std::make_exception_ptr(std::runtime_error("Claude Code's settings are not valid JSON"));
    controller.saveButton()->click();
    EXPECT_EQ(controller.errorLabel()->text(), "Claude Code's settings are not valid JSON");
    EXPECT_TRUE(controller.settingsButton()->isHidden());
    failure = nullptr;
    controller.saveButton()->click();
    EXPECT_TRUE(controller.errorLabel()->isHidden());
    EXPECT_TRUE(controller.settingsButton()->isHidden());
    EXPECT_FALSE(controller.window()->isVisible());
}

TEST_F(IntegrationSetupWindow, ShowingAgainAfterAFailureShowsNoError) {
    show(true, false, true, false);
    failure = std::make_exception_ptr(LaunchAtLoginError::needsApproval());
    controller.saveButton()->click();
    controller.window()->close();
    show(true, false, true, false);
    EXPECT_TRUE(controller.errorLabel()->isHidden());
    EXPECT_TRUE(controller.settingsButton()->isHidden());
}

TEST_F(IntegrationSetupWindow, ReturnSaves) {
    show(true, false, false, true);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(controller.codexCheckbox(), &press);
    EXPECT_EQ(applied, (std::vector<Selection>{{true, false, false, true}}));
    EXPECT_FALSE(controller.window()->isVisible());
}

} // namespace
} // namespace quorvel
