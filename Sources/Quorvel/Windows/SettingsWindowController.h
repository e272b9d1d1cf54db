#pragma once

#include "App/BuildInfo.h"
#include "Claude/ClaudeIntegrationHealth.h"
#include "Login/LaunchAtLoginState.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace quorvel {

class AboutWindowController;
class ResourceBundle;
class SettingsSidebarButton;
class TextLabel;
class ToggleSwitch;
class Workspace;

// The settings window: a sidebar of sections with a search field, and one page per section. Every change
// takes effect at once through the delegate's closures; a change that fails is turned back and its error
// shown.
class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(bool codex, bool claude)> saveIntegrations; // may throw
        std::function<void(bool enabled)> setLaunchAtLogin;            // may throw
        std::function<void()> openLoginItems;
        std::function<void()> checkForUpdates;
    };

    // What each showing fills the controls from.
    struct State {
        bool codexEnabled = true;
        bool claudeEnabled = false;
        ClaudeIntegrationHealth claudeHealth = ClaudeIntegrationHealth::disabled;
        LaunchAtLoginState launchAtLogin = LaunchAtLoginState::disabled;
        // Whether the desktop session let the application have its shortcut.
        bool shortcutAvailable = true;
    };

    static constexpr int contentWidth = 840;
    static constexpr int contentHeight = 530;
    static constexpr int sidebarWidth = 232;

    SettingsWindowController(const ResourceBundle& resourceBundle, Actions actions, BuildInfo buildInfo,
                             Workspace& workspace, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Renews the switches and status lines; the selected section and the search text stay.
    void prepareForShowing(const State& state);
    // Brings the window to the front with nothing focused.
    void showWindow();

    QWidget* window() const { return window_.get(); }
    ToggleSwitch* codexSwitch() const { return codexSwitch_; }
    ToggleSwitch* claudeSwitch() const { return claudeSwitch_; }
    TextLabel* integrationStatus() const { return integrationStatus_; }
    TextLabel* integrationError() const { return integrationError_; }
    QPushButton* repairButton() const { return repairButton_; }
    ToggleSwitch* launchSwitch() const { return launchSwitch_; }
    TextLabel* launchStatus() const { return launchStatus_; }
    QPushButton* loginItemsButton() const { return loginItemsButton_; }
    QPushButton* updateButton() const { return updateButton_; }
    TextLabel* shortcutKeys() const { return shortcutKeys_; }
    TextLabel* shortcutDetail() const { return shortcutDetail_; }
    QStackedWidget* tabs() const { return tabs_; }
    QLineEdit* searchField() const { return searchField_; }
    const std::vector<SettingsSidebarButton*>& sectionButtons() const { return sectionButtons_; }
    AboutWindowController* aboutContentController() const { return aboutContentController_; }

public slots:
    void selectSection(SettingsSidebarButton* sender);
    void filterSections();
    void changeIntegrations(ToggleSwitch* sender);
    void repairIntegrations();
    void changeLaunchAtLogin();
    void openLoginSettings();
    void checkForSoftwareUpdates();

private:
    void buildContent(const ResourceBundle& resourceBundle, const BuildInfo& buildInfo, Workspace& workspace);
    QWidget* makeSidebar(const ResourceBundle& resourceBundle);
    QWidget* makeIntegrationsPage();
    QWidget* makeGeneralPage(const BuildInfo& buildInfo);
    void showShortcut(bool available);
    void showIntegrationsSaved();
    void showIntegrationFailure(const std::exception& error);
    QWidget* makeLegalPage(const ResourceBundle& resourceBundle, const QString& documentName,
                           const QString& title, const QString& onlinePath, Workspace& workspace);
    static QWidget* scrolling(QWidget* page);

    Actions actions_;
    std::unique_ptr<QWidget> window_;
    ToggleSwitch* codexSwitch_ = nullptr;
    ToggleSwitch* claudeSwitch_ = nullptr;
    TextLabel* integrationStatus_ = nullptr;
    TextLabel* integrationError_ = nullptr;
    QPushButton* repairButton_ = nullptr;
    ToggleSwitch* launchSwitch_ = nullptr;
    TextLabel* launchStatus_ = nullptr;
    QPushButton* loginItemsButton_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    TextLabel* shortcutKeys_ = nullptr;
    TextLabel* shortcutDetail_ = nullptr;
    QStackedWidget* tabs_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    std::vector<SettingsSidebarButton*> sectionButtons_;
    AboutWindowController* aboutContentController_ = nullptr;
    std::optional<QString> websiteBase_;
};

} // namespace quorvel
