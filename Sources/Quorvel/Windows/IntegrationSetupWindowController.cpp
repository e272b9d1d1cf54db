#include "Windows/IntegrationSetupWindowController.h"

#include "Windows/AppearanceAwareLogoImageView.h"
#include "Windows/CardBox.h"
#include "Windows/CheckBox.h"
#include "Windows/IntegrationFailureText.h"
#include "Windows/ReturnKeyTrigger.h"
#include "Windows/TextLabel.h"
#include "Windows/WindowPlacement.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int contentColumn = 492;

const QString firstRunIntroduction = QStringLiteral(
    "Working on several things at once? Quorvel keeps Codex and Claude Code visible in your tray, "
    "so you can see what is working, waiting for you, or finished without losing track.\n\n"
    "Connect the coding assistant you use. You can add the other one later from the Quorvel menu.");
const QString laterIntroduction = QStringLiteral("Choose which coding assistants Quorvel should monitor.");

} // namespace

IntegrationSetupWindowController::IntegrationSetupWindowController(const ResourceBundle& resourceBundle,
                                                                   ApplySelection applySelection,
                                                                   std::function<void()> openLoginItems,
                                                                   QObject* parent)
    : QObject(parent), window_(WindowPlacement::makeWindow(QStringLiteral("Quorvel integrations"))),
      codexCheckbox_(new CheckBox(QStringLiteral("Connect Codex"), 16, QFont::DemiBold)),
      claudeCheckbox_(new CheckBox(QStringLiteral("Connect Claude Code"), 16, QFont::DemiBold)),
      launchAtLoginCheckbox_(new CheckBox(QStringLiteral("Launch Quorvel at login"), 14, QFont::Medium)),
      heading_(TextLabel::oneLine(QString(), 25, QFont::DemiBold)),
      introduction_(TextLabel::wrapping(QString(), 14, QFont::Normal, TextColour::secondaryLabel)),
      errorLabel_(TextLabel::wrapping(QString(), 12, QFont::Medium, TextColour::systemRed)),
      saveButton_(new QPushButton),
      settingsButton_(new QPushButton(QStringLiteral("Open Autostart Folder\u2026"))),
      applySelection_(std::move(applySelection)), openLoginItems_(std::move(openLoginItems)) {
    buildContent(resourceBundle);
    fitWindowHeight();
    WindowPlacement::closeOnEscape(*window_);
    WindowPlacement::centre(*window_);
}

IntegrationSetupWindowController::~IntegrationSetupWindowController() = default;

void IntegrationSetupWindowController::buildContent(const ResourceBundle& resourceBundle) {
    auto* logo = new AppearanceAwareLogoImageView(resourceBundle);
    logo->setFixedSize(220, 53);
    errorLabel_->setMaximumLines(2);
    errorLabel_->hide();
    settingsButton_->hide();
    connect(settingsButton_, &QPushButton::clicked, this,
            &IntegrationSetupWindowController::openLoginItemSettings);
    connect(saveButton_, &QPushButton::clicked, this, &IntegrationSetupWindowController::save);
    saveButton_->setDefault(true);
    new ReturnKeyTrigger(window_.get(), saveButton_);

    auto* stack = new QVBoxLayout(window_.get());
    stack->setContentsMargins(34, 30, 34, 26);
    stack->setSpacing(18);
    stack->addWidget(logo, 0, Qt::AlignLeft);
    stack->addWidget(heading_, 0, Qt::AlignLeft);
    stack->addWidget(introduction_, 0, Qt::AlignLeft);
    stack->addWidget(
        providerCard(codexCheckbox_, QStringLiteral("Reads local Codex task history and unread status. "
                                                    "No hooks or account connection are required.")),
        0, Qt::AlignLeft);
    stack->addWidget(
        providerCard(claudeCheckbox_, QStringLiteral("Installs local Quorvel hooks in Claude Code while "
                                                     "preserving your existing settings and "
                                                     "third-party hooks.")),
        0, Qt::AlignLeft);
    stack->addWidget(launchAtLoginCheckbox_, 0, Qt::AlignLeft);
    stack->addWidget(errorLabel_, 0, Qt::AlignLeft);
    stack->addWidget(settingsButton_, 0, Qt::AlignLeft);
    stack->addWidget(footer(), 0, Qt::AlignLeft);
    stack->addStretch();
}

QWidget* IntegrationSetupWindowController::providerCard(QCheckBox* box, const QString& detail) const {
    auto* stack = new QVBoxLayout;
    stack->setSpacing(7);
    stack->addWidget(box);
    TextLabel* detailLabel = TextLabel::wrapping(detail, 12, QFont::Normal, TextColour::secondaryLabel);
    detailLabel->fitToWidth(contentColumn - 2 * 16);
    stack->addWidget(detailLabel);
    CardBox* card = CardBox::containing(stack, QMargins(16, 14, 16, 14));
    card->setFixedWidth(contentColumn);
    return card;
}

QWidget* IntegrationSetupWindowController::footer() {
    auto* row = new QWidget;
    row->setFixedWidth(contentColumn);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TextLabel::oneLine(QStringLiteral("At least one integration is required."), 12,
                                         QFont::Normal, TextColour::tertiaryLabel),
                      0, Qt::AlignVCenter);
    layout->addStretch();
    layout->addWidget(saveButton_, 0, Qt::AlignVCenter);
    return row;
}

void IntegrationSetupWindowController::configure(bool codex, bool claude, bool launchAtLogin, bool firstRun) {
    firstRun_ = firstRun;
    window_->setWindowTitle(firstRun ? QStringLiteral("Welcome to Quorvel")
                                     : QStringLiteral("Quorvel integrations"));
    heading_->setText(firstRun ? QStringLiteral("Welcome to Quorvel")
                               : QStringLiteral("Choose your integrations"));
    introduction_->setText(firstRun ? firstRunIntroduction : laterIntroduction);
    introduction_->fitToWidth(contentColumn);
    saveButton_->setText(firstRun ? QStringLiteral("Connect and start") : QStringLiteral("Save changes"));
    codexCheckbox_->setChecked(codex);
    claudeCheckbox_->setChecked(claude);
    launchAtLoginCheckbox_->setChecked(launchAtLogin);
    errorLabel_->hide();
    settingsButton_->hide();
    fitWindowHeight();
}

// The window keeps its width and grows when the desktop's font needs more lines than the layout has room
// for, so that no text is cut off.
void IntegrationSetupWindowController::fitWindowHeight() {
    window_->layout()->activate();
    window_->setFixedSize(contentWidth, qMax(contentHeight, window_->layout()->sizeHint().height()));
}

void IntegrationSetupWindowController::showWindow() {
    WindowPlacement::bringToFront(*window_);
}

void IntegrationSetupWindowController::save() {
    try {
        applySelection_(codexCheckbox_->isChecked(), claudeCheckbox_->isChecked(),
                        launchAtLoginCheckbox_->isChecked(), firstRun_);
    } catch (const std::exception& error) {
        errorLabel_->setText(IntegrationFailureText::describe(error));
        errorLabel_->fitToWidth(contentColumn);
        errorLabel_->show();
        settingsButton_->setVisible(IntegrationFailureText::offersLoginItems(error));
        fitWindowHeight();
        return;
    }
    errorLabel_->hide();
    settingsButton_->hide();
    window_->close();
}

void IntegrationSetupWindowController::openLoginItemSettings() {
    openLoginItems_();
}

} // namespace quorvel
