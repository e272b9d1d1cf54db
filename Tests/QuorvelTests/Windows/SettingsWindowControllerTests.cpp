#include "Fakes/RecordingWorkspace.h"
#include "Login/AutostartError.h"
#include "Login/LaunchAtLoginError.h"
#include "Platform/ResourceBundle.h"
#include "Windows/IntegrationSetupError.h"
#include "Windows/SettingsSidebarButton.h"
#include "Windows/SettingsWindowController.h"
#include "Windows/TextLabel.h"
#include "Windows/ToggleSwitch.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace quorvel {
namespace {

using Health = ClaudeIntegrationHealth;
using Login = LaunchAtLoginState;

const QStringList everySection{"Integrations", "General", "Privacy", "Terms", "About", "Licences"};

class SettingsWindow : public ::testing::Test {
protected:
    SettingsWindowController::Actions actions() {
        return {[this](bool codex, bool claude) {
                    saved.push_back({codex, claude});
                    if (saveFailure)
                        std::rethrow_exception(saveFailure);
                },
                [this](bool enabled) {
                    launchRequests.push_back(enabled);
                    if (launchFailure)
                        std::rethrow_exception(launchFailure);
                },
                [this] { ++loginItemsOpened; }, [this] { ++updateChecks; }};
    }

    QStringList visibleSections() const {
        QStringList names;
        for (SettingsSidebarButton* button : controller.sectionButtons())
            if (!button->isHidden())
                names << button->text();
        return names;
    }

    void search(const QString& text) { controller.searchField()->setText(text); }

    std::vector<std::pair<bool, bool>> saved;
    std::vector<bool> launchRequests;
    std::exception_ptr saveFailure;
    std::exception_ptr launchFailure;
    int loginItemsOpened = 0;
    int updateChecks = 0;
    testing::RecordingWorkspace workspace;
    SettingsWindowController controller{ResourceBundle::module(), actions(), BuildInfo{}, workspace};
};

TEST_F(SettingsWindow, IsAFixedWindowOfSixSectionsWithTheFirstSelected) {
    QWidget* window = controller.window();
    EXPECT_EQ(window->windowTitle(), "Quorvel");
    EXPECT_EQ(window->size(), QSize(840, 530));
    EXPECT_EQ(window->minimumSize(), QSize(840, 530));
    EXPECT_EQ(visibleSections(), everySection);
    EXPECT_EQ(controller.tabs()->count(), 6);
    EXPECT_EQ(controller.tabs()->currentIndex(), 0);
    EXPECT_TRUE(controller.sectionButtons()[0]->isChecked());
    EXPECT_EQ(controller.searchField()->placeholderText(), "Search Settings");
    EXPECT_NE(controller.aboutContentController(), nullptr);
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(controller.sectionButtons()[index]->tag(), index);
}

TEST_F(SettingsWindow, ChoosingASectionShowsItsPageAndSelectsOnlyItsButton) {
    controller.sectionButtons()[4]->click();
    EXPECT_EQ(controller.tabs()->currentIndex(), 4);
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(controller.sectionButtons()[index]->isChecked(), index == 4);
    controller.sectionButtons()[4]->click();
    EXPECT_TRUE(controller.sectionButtons()[4]->isChecked()) << "choosing the selected section keeps it";
}

TEST_F(SettingsWindow, SearchFiltersTheSectionsByTheirSearchTermsIgnoringCase) {
    const auto shows = [&](const char* text, QStringList expected) {
        search(QString::fromUtf8(text));
        EXPECT_EQ(visibleSections(), expected) << text;
    };
    shows("codex", {"Integrations"});
    shows("CLAUDE", {"Integrations"});
    shows("updates", {"General"});
    shows("lucide", {"Licences"});
    shows("  Warranty ", {"Terms"});
    shows("complaints", {"Privacy"});
    shows("nimbrel", {"About"});
    shows("licen", {"Terms", "Licences"});
    shows("", everySection);
    shows(" \t\n ", everySection);
    shows("Integrat ions", {});
}

TEST_F(SettingsWindow, FilteringAwayTheSelectedSectionSelectsTheFirstVisibleOne) {
    controller.sectionButtons()[5]->click();
    search("launch");
    EXPECT_EQ(controller.tabs()->currentIndex(), 1);
    EXPECT_TRUE(controller.sectionButtons()[1]->isChecked());
    EXPECT_FALSE(controller.sectionButtons()[5]->isChecked());

    search("general");
    EXPECT_EQ(controller.tabs()->currentIndex(), 1) << "a selection that stays visible stays";
}

TEST_F(SettingsWindow, WhenNothingMatchesThePreviousPageStaysWithNoVisibleButton) {
    controller.sectionButtons()[3]->click();
    search("no section has this");
    EXPECT_TRUE(visibleSections().isEmpty());
    EXPECT_EQ(controller.tabs()->currentIndex(), 3);
    EXPECT_TRUE(controller.sectionButtons()[3]->isChecked());
    search(QString());
    EXPECT_EQ(visibleSections().size(), 6);
    EXPECT_EQ(controller.tabs()->currentIndex(), 3);
}

TEST_F(SettingsWindow, EachShowingFillsTheSwitchesAndStatusLines) {
    controller.prepareForShowing({true, true, Health::needsRepair, Login::enabled});
    EXPECT_TRUE(controller.codexSwitch()->isChecked());
    EXPECT_TRUE(controller.claudeSwitch()->isChecked());
    EXPECT_EQ(controller.integrationStatus()->text(),
              "Claude Code needs repair. Click Repair to reinstall the Quorvel hooks.");
    EXPECT_FALSE(controller.repairButton()->isHidden());
    EXPECT_EQ(controller.repairButton()->text(), "Repair");
    EXPECT_TRUE(controller.integrationError()->isHidden());
    EXPECT_TRUE(controller.launchSwitch()->isChecked());
    EXPECT_EQ(controller.launchStatus()->text(),
              "Quorvel opens in the tray when you sign in to this computer.");
    EXPECT_TRUE(controller.loginItemsButton()->isHidden());

    controller.prepareForShowing({true, false, Health::needsRepair, Login::disabled});
    EXPECT_FALSE(controller.claudeSwitch()->isChecked());
    EXPECT_EQ(controller.integrationStatus()->text(), "At least one integration must stay connected.")
        << "the repair notice is only for an enabled integration";
    EXPECT_TRUE(controller.repairButton()->isHidden());
    EXPECT_FALSE(controller.launchSwitch()->isChecked());
}

TEST_F(SettingsWindow, RepairSavesTheIntegrationsAsTheyAreAndKeepsItsButtonUntilItWorks) {
    controller.prepareForShowing({false, true, Health::needsRepair, Login::disabled});
    saveFailure = std::make_exception_ptr(std::runtime_error("settings.json is a link"));
    controller.repairButton()->click();
    EXPECT_EQ(saved, (std::vector<std::pair<bool, bool>>{{false, true}}));
    EXPECT_EQ(controller.integrationError()->text(), "settings.json is a link");
    EXPECT_FALSE(controller.integrationError()->isHidden());
    EXPECT_FALSE(controller.repairButton()->isHidden());
    EXPECT_TRUE(controller.claudeSwitch()->isChecked()) << "no switch moves";

    saveFailure = nullptr;
    controller.repairButton()->click();
    EXPECT_EQ(saved.back(), std::make_pair(false, true));
    EXPECT_TRUE(controller.integrationError()->isHidden());
    EXPECT_TRUE(controller.repairButton()->isHidden());
    EXPECT_EQ(controller.integrationStatus()->text(), "Changes saved.");
}

TEST_F(SettingsWindow, TheGeneralPageNamesTheShortcutOnlyWhereTheSessionLetsQuorvelHaveIt) {
    EXPECT_EQ(controller.shortcutKeys()->text(), "Alt+Super+L") << "before the first showing";
    controller.prepareForShowing({true, false, Health::disabled, Login::disabled, false});
    EXPECT_EQ(controller.shortcutKeys()->text(), "Not available");
    EXPECT_EQ(
        controller.shortcutDetail()->text(),
        "Alt+Super+L is not available in this desktop session. To open Quorvel with a key, bind one to the "
        "command \u201cquorvel\u201d in your desktop\u2019s keyboard settings. If the panel is crowded, set "
        "the tray to always show the Quorvel icon.");
    controller.prepareForShowing({true, false, Health::disabled, Login::disabled, true});
    EXPECT_EQ(controller.shortcutKeys()->text(), "Alt+Super+L");
    EXPECT_EQ(controller.shortcutDetail()->text(),
              "Press Alt+Super+L from any app. If the panel is crowded, set the tray to always show the "
              "Quorvel icon.");
}

// Only a build with an update feed offers to check.
TEST_F(SettingsWindow, TheUpdateTextAndButtonSayWhatThisBuildDoes) {
    const auto updateRow = [&](const QString& feed) {
        BuildInfo build;
        build.updateFeedURL = feed;
        SettingsWindowController settings(ResourceBundle::module(), actions(), build, workspace);
        QString text;
        for (const TextLabel* label : settings.tabs()->widget(1)->findChildren<TextLabel*>())
            if (label->text().startsWith("Updates"))
                text = label->text();
        return std::make_pair(text, settings.updateButton()->isHidden());
    };
    EXPECT_EQ(updateRow(QString()),
              std::make_pair(QString("Updates come through your package manager."), true));
    EXPECT_EQ(updateRow("https://quorvel.example/appcast.xml"),
              std::make_pair(QString("Updates are checked daily and offered for download."), false));
}

TEST_F(SettingsWindow, ALoginItemAwaitingApprovalShowsTheApprovalTextAndButtonAtEveryShowing) {
    for (int showing = 0; showing < 2; ++showing) {
        controller.prepareForShowing({true, false, Health::disabled, Login::needsApproval});
        EXPECT_FALSE(controller.launchSwitch()->isChecked());
        EXPECT_EQ(controller.launchStatus()->text(),
                  "Your desktop needs your approval before Quorvel can open at login.");
        EXPECT_FALSE(controller.loginItemsButton()->isHidden());
        controller.launchSwitch()->click();
        EXPECT_EQ(controller.launchStatus()->text(), "Launch at Login updated.");
        EXPECT_TRUE(controller.loginItemsButton()->isHidden());
    }
    controller.loginItemsButton()->click();
    EXPECT_EQ(loginItemsOpened, 1);
}

TEST_F(SettingsWindow, SwitchingOffTheLastIntegrationIsTurnedBackWithTheReasonInRed) {
    controller.prepareForShowing({false, true, Health::enabled, Login::disabled});
    saveFailure = std::make_exception_ptr(IntegrationSetupError::providerRequired());
    controller.claudeSwitch()->click();
    EXPECT_EQ(saved, (std::vector<std::pair<bool, bool>>{{false, false}}));
    EXPECT_TRUE(controller.claudeSwitch()->isChecked());
    EXPECT_FALSE(controller.integrationError()->isHidden());
    EXPECT_EQ(controller.integrationError()->text(), "Choose Codex, Claude Code, or both.");
    EXPECT_EQ(controller.integrationError()->textColour(), TextColour::systemRed);
    EXPECT_EQ(controller.integrationStatus()->text(), "At least one integration must stay connected.");
}

TEST_F(SettingsWindow, ASuccessfulChangeReplacesTheRepairNoticeAndHidesTheLastError) {
    controller.prepareForShowing({true, true, Health::needsRepair, Login::disabled});
    saveFailure = std::make_exception_ptr(std::runtime_error("settings.json is a link"));
    controller.codexSwitch()->click();
    EXPECT_TRUE(controller.codexSwitch()->isChecked());
    EXPECT_EQ(controller.integrationError()->text(), "settings.json is a link");

    saveFailure = nullptr;
    controller.codexSwitch()->click();
    EXPECT_EQ(saved.back(), std::make_pair(false, true));
    EXPECT_FALSE(controller.codexSwitch()->isChecked());
    EXPECT_TRUE(controller.integrationError()->isHidden());
    EXPECT_EQ(controller.integrationStatus()->text(), "Changes saved.");
}

TEST_F(SettingsWindow, AFailedLaunchChangeIsTurnedBackAndOffersLoginItemsOnlyForTheApprovalError) {
    controller.prepareForShowing({true, false, Health::disabled, Login::disabled});
    launchFailure = std::make_exception_ptr(LaunchAtLoginError::needsApproval());
    controller.launchSwitch()->click();
    EXPECT_EQ(launchRequests, std::vector<bool>{true});
    EXPECT_FALSE(controller.launchSwitch()->isChecked());
    EXPECT_EQ(controller.launchStatus()->text(),
              "Your desktop needs you to allow Quorvel in its autostart settings.");
    EXPECT_FALSE(controller.loginItemsButton()->isHidden());

    launchFailure = std::make_exception_ptr(AutostartError(
        std::make_error_code(std::errc::not_a_directory),
        "Quorvel could not save its autostart entry in /home/ada/.config/autostart: not a directory."));
    controller.launchSwitch()->click();
    EXPECT_FALSE(controller.launchSwitch()->isChecked());
    EXPECT_EQ(controller.launchStatus()->text(),
              "Quorvel could not save its autostart entry in /home/ada/.config/autostart: not a directory.");
    EXPECT_TRUE(controller.loginItemsButton()->isHidden());
}

TEST_F(SettingsWindow, TheUpdateButtonAsksForAnUpdateCheck) {
    EXPECT_EQ(controller.updateButton()->text(), "Check for Updates\u2026");
    controller.updateButton()->click();
    EXPECT_EQ(updateChecks, 1);
}

TEST_F(SettingsWindow, HidingAndShowingKeepsTheSectionAndTheSearch) {
    controller.sectionButtons()[2]->click();
    search("privacy");
    controller.showWindow();
    controller.window()->close();
    controller.prepareForShowing({true, false, Health::disabled, Login::disabled});
    controller.showWindow();
    EXPECT_EQ(controller.tabs()->currentIndex(), 2);
    EXPECT_EQ(controller.searchField()->text(), "privacy");
    EXPECT_EQ(visibleSections(), QStringList{"Privacy"});
    EXPECT_FALSE(controller.searchField()->hasFocus());
    controller.window()->close();
}

} // namespace
} // namespace quorvel
