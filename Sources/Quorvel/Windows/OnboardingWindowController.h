#pragma once

#include "Onboarding/OnboardingJourney.h"

#include <QObject>
#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace quorvel {

class PageTransition;
class ResourceBundle;
class TextLabel;

// The six-page getting-started window over OnboardingJourney: it draws the current step, slides between
// pages, applies the choice of the connect page through the delegate and finishes on the last page.
class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    using ApplySelection = std::function<void(bool codex, bool claude, bool launchAtLogin)>;

    static constexpr int contentWidth = 760;
    static constexpr int contentHeight = 630;

    OnboardingWindowController(const ResourceBundle& resourceBundle, ApplySelection applySelection,
                               std::function<void()> finish, std::function<void()> openLoginItems,
                               QObject* parent = nullptr);
    ~OnboardingWindowController() override;

    // Before each showing: the choice to preset, whether the desktop session let the application have its
    // shortcut, the journey back at its first page, no error.
    void prepare(bool codex, bool claude, bool launchAtLogin, bool shortcutAvailable = true);
    void showWindow();

    // Builds the page of the current step and puts it in, sliding when animated.
    void showPage(bool animated, bool forward);
    bool isSliding() const;
    // Ends a slide at once.
    void finishSliding();

    const OnboardingJourney& journey() const { return journey_; }
    bool codex() const { return codex_; }
    bool claude() const { return claude_; }
    bool launchAtLogin() const { return launchAtLogin_; }
    bool shortcutAvailable() const { return shortcutAvailable_; }
    QWidget* window() const { return window_.get(); }
    QWidget* contentHost() const { return contentHost_; }
    QWidget* currentPage() const;
    TextLabel* pageIndicator() const { return pageIndicator_; }
    QPushButton* backButton() const { return backButton_; }
    QPushButton* nextButton() const { return nextButton_; }
    TextLabel* errorLabel() const { return errorLabel_; }
    QPushButton* loginItemsButton() const { return loginItemsButton_; }
    QCheckBox* codexCheckbox() const { return codexCheckbox_; }
    QCheckBox* claudeCheckbox() const { return claudeCheckbox_; }
    QCheckBox* loginCheckbox() const { return loginCheckbox_; }

public slots:
    void goBack();
    void goForward();
    void openLoginSettings();

private:
    void buildWindow();
    void placeFrame();
    QWidget* makePage();
    void addTopElement(QVBoxLayout* stack, OnboardingStep step) const;
    QWidget* choiceCard();
    void keepCheckboxes(QWidget* removedPage);
    bool applyConnectPage();

    ApplySelection applySelection_;
    std::function<void()> finish_;
    std::function<void()> openLoginItems_;
    const ResourceBundle& resourceBundle_;
    OnboardingJourney journey_;
    bool codex_ = true;
    bool claude_ = false;
    bool launchAtLogin_ = true;
    bool shortcutAvailable_ = true;
    std::unique_ptr<QWidget> window_;
    QWidget* header_ = nullptr;
    QWidget* contentHost_ = nullptr;
    TextLabel* pageIndicator_ = nullptr;
    QPushButton* backButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    TextLabel* errorLabel_ = nullptr;
    QPushButton* loginItemsButton_ = nullptr;
    QCheckBox* codexCheckbox_ = nullptr;
    QCheckBox* claudeCheckbox_ = nullptr;
    QCheckBox* loginCheckbox_ = nullptr;
    // Holds the check boxes while no connect page shows them.
    std::unique_ptr<QWidget> checkboxShelf_;
    PageTransition* transition_ = nullptr;
};

} // namespace quorvel
