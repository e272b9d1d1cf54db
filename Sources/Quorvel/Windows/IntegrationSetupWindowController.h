#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QWidget;

namespace quorvel {

class ResourceBundle;
class TextLabel;

// The small window in which the user chooses the monitored assistants and launch at login, in a
// first-run wording or a later one. The delegate's closure applies the choice; its failure is shown in
// red, with "Open Autostart Folder…" for a login-item failure.
class IntegrationSetupWindowController : public QObject {
    Q_OBJECT

public:
    using ApplySelection = std::function<void(bool codex, bool claude, bool launchAtLogin, bool firstRun)>;

    static constexpr int contentWidth = 560;
    static constexpr int contentHeight = 550;

    IntegrationSetupWindowController(const ResourceBundle& resourceBundle, ApplySelection applySelection,
                                     std::function<void()> openLoginItems, QObject* parent = nullptr);
    ~IntegrationSetupWindowController() override;

    // Sets the wording and the check boxes and hides the last error.
    void configure(bool codex, bool claude, bool launchAtLogin, bool firstRun);
    void showWindow();

    QWidget* window() const { return window_.get(); }
    QCheckBox* codexCheckbox() const { return codexCheckbox_; }
    QCheckBox* claudeCheckbox() const { return claudeCheckbox_; }
    QCheckBox* launchAtLoginCheckbox() const { return launchAtLoginCheckbox_; }
    TextLabel* heading() const { return heading_; }
    TextLabel* introduction() const { return introduction_; }
    TextLabel* errorLabel() const { return errorLabel_; }
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* settingsButton() const { return settingsButton_; }
    bool firstRun() const { return firstRun_; }

public slots:
    void save();
    void openLoginItemSettings();

private:
    void buildContent(const ResourceBundle& resourceBundle);
    QWidget* providerCard(QCheckBox* checkbox, const QString& detail) const;
    QWidget* footer();
    void fitWindowHeight();

    std::unique_ptr<QWidget> window_;
    QCheckBox* codexCheckbox_ = nullptr;
    QCheckBox* claudeCheckbox_ = nullptr;
    QCheckBox* launchAtLoginCheckbox_ = nullptr;
    TextLabel* heading_ = nullptr;
    TextLabel* introduction_ = nullptr;
    TextLabel* errorLabel_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
    ApplySelection applySelection_;
    std::function<void()> openLoginItems_;
    bool firstRun_ = false;
};

} // namespace quorvel
