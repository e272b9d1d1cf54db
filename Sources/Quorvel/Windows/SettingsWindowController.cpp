#include "Windows/SettingsWindowController.h"

#include "App/ShortcutKeys.h"
#include "Platform/ResourceBundle.h"
#include "Windows/AboutWindowController.h"
#include "Windows/IntegrationFailureText.h"
#include "Windows/Palette.h"
#include "Windows/PaletteBinding.h"
#include "Windows/SeparatorLine.h"
#include "Windows/SettingsLamplineView.h"
#include "Windows/SettingsLegalDocuments.h"
#include "Windows/SettingsPages.h"
#include "Windows/SettingsSection.h"
#include "Windows/SettingsSidebarButton.h"
#include "Windows/TextLabel.h"
#include "Windows/ToggleSwitch.h"
#include "Windows/Typography.h"
#include "Windows/WebsiteAddress.h"
#include "Windows/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace quorvel {

namespace {

const QString repairNotice =
    QStringLiteral("Claude Code needs repair. Click Repair to reinstall the Quorvel hooks.");
const QString integrationRequirement = QStringLiteral("At least one integration must stay connected.");
const QString approvalNotice =
    QStringLiteral("Your desktop needs your approval before Quorvel can open at login.");
const QString launchNotice = QStringLiteral("Quorvel opens in the tray when you sign in to this computer.");
const QString trayHint =
    QStringLiteral("If the panel is crowded, set the tray to always show the Quorvel icon.");

// What this build does about updates: only a build with an update feed looks for them itself.
QString updatesDetail(const BuildInfo& buildInfo) {
    return buildInfo.updateFeedURL.isEmpty()
               ? QStringLiteral("Updates come through your package manager.")
               : QStringLiteral("Updates are checked daily and offered for download.");
}

QWidget* sidebarBackground() {
    auto* sidebar = new QWidget;
    sidebar->setAutoFillBackground(true);
    PaletteBinding::bind(sidebar, [sidebar] {
        QPalette own = sidebar->palette();
        own.setColor(QPalette::Window, Palette::sidebarBackground());
        sidebar->setPalette(own);
    });
    return sidebar;
}

QHBoxLayout* indented(int left, QWidget* view) {
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(left, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view);
    return layout;
}

} // namespace

SettingsWindowController::SettingsWindowController(const ResourceBundle& resourceBundle, Actions actions,
                                                   BuildInfo buildInfo, Workspace& workspace, QObject* parent)
    : QObject(parent), actions_(std::move(actions)),
      window_(WindowPlacement::makeWindow(QStringLiteral("Quorvel"), Qt::WindowMinimizeButtonHint)),
      websiteBase_(WebsiteAddress::base(buildInfo.websiteURL)) {
    window_->setFocusPolicy(Qt::ClickFocus);
    buildContent(resourceBundle, buildInfo, workspace);
    showShortcut(true);
    window_->setFixedSize(contentWidth, contentHeight);
    WindowPlacement::closeOnEscape(*window_);
    WindowPlacement::centre(*window_);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::buildContent(const ResourceBundle& resourceBundle, const BuildInfo& buildInfo,
                                            Workspace& workspace) {
    tabs_ = new QStackedWidget;
    tabs_->addWidget(makeIntegrationsPage());
    tabs_->addWidget(makeGeneralPage(buildInfo));
    tabs_->addWidget(makeLegalPage(resourceBundle, QStringLiteral("privacy-policy"),
                                   QStringLiteral("Privacy Policy"), QStringLiteral("privacy"), workspace));
    tabs_->addWidget(makeLegalPage(resourceBundle, QStringLiteral("terms-and-conditions"),
                                   QStringLiteral("Terms & Conditions"), QStringLiteral("terms"), workspace));
    aboutContentController_ = new AboutWindowController(buildInfo, workspace, this);
    tabs_->addWidget(scrolling(aboutContentController_->makeAboutContent(resourceBundle)));
    tabs_->addWidget(scrolling(aboutContentController_->makeLicencesContent(resourceBundle)));

    auto* layout = new QHBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeSidebar(resourceBundle));
    layout->addWidget(tabs_, 1);
}

QWidget* SettingsWindowController::makeSidebar(const ResourceBundle& resourceBundle) {
    QWidget* sidebar = sidebarBackground();
    sidebar->setFixedWidth(sidebarWidth);

    auto* badge = new QHBoxLayout;
    badge->setContentsMargins(5, 0, 0, 0);
    badge->setSpacing(10);
    badge->addWidget(new SettingsLamplineView, 0, Qt::AlignVCenter);
    badge->addWidget(TextLabel::oneLine(QStringLiteral("Quorvel"), 16, QFont::DemiBold), 0, Qt::AlignVCenter);
    badge->addStretch();

    searchField_ = new QLineEdit;
    searchField_->setPlaceholderText(QStringLiteral("Search Settings"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setFont(Typography::system(13));
    QLineEdit* field = searchField_;
    PaletteBinding::bind(field, [field] {
        QPalette own = field->palette();
        own.setColor(QPalette::PlaceholderText, Palette::placeholderText());
        field->setPalette(own);
    });
    connect(searchField_, &QLineEdit::textChanged, this, &SettingsWindowController::filterSections);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(3);
    const auto& sections = SettingsSection::all();
    for (int index = 0; index < static_cast<int>(sections.size()); ++index) {
        auto* button =
            new SettingsSidebarButton(sections[index].name, sections[index].symbol, index, resourceBundle);
        connect(button, &QAbstractButton::clicked, this, [this, button] { selectSection(button); });
        sectionButtons_.push_back(button);
        buttons->addWidget(button);
    }
    sectionButtons_.front()->setChecked(true);

    auto* stack = new QVBoxLayout(sidebar);
    stack->setContentsMargins(12, 16, 12, 12);
    stack->setSpacing(0);
    stack->addLayout(badge);
    stack->addSpacing(18);
    stack->addWidget(searchField_);
    stack->addSpacing(16);
    stack->addLayout(indented(
        8, TextLabel::oneLine(QStringLiteral("SETTINGS"), 10, QFont::DemiBold, TextColour::secondaryLabel)));
    stack->addSpacing(6);
    stack->addLayout(buttons);
    stack->addStretch();
    return sidebar;
}

QWidget* SettingsWindowController::makeIntegrationsPage() {
    codexSwitch_ = new ToggleSwitch(QStringLiteral("Codex"));
    claudeSwitch_ = new ToggleSwitch(QStringLiteral("Claude Code"));
    for (ToggleSwitch* toggle : {codexSwitch_, claudeSwitch_})
        connect(toggle, &QAbstractButton::clicked, this, [this, toggle] { changeIntegrations(toggle); });
    integrationStatus_ = SettingsPages::detail(integrationRequirement);
    integrationError_ = TextLabel::wrapping(QString(), 13, QFont::Normal, TextColour::systemRed);
    integrationError_->hide();
    repairButton_ = new QPushButton(QStringLiteral("Repair"));
    connect(repairButton_, &QPushButton::clicked, this, &SettingsWindowController::repairIntegrations);
    repairButton_->hide();

    QWidget* card = SettingsPages::group(
        {SettingsPages::settingRow(QStringLiteral("Codex"),
                                   QStringLiteral("Read local task history and unread state."), codexSwitch_),
         new SeparatorLine,
         SettingsPages::settingRow(QStringLiteral("Claude Code"),
                                   QStringLiteral("Use local hooks and session history."), claudeSwitch_)});
    return SettingsPages::page(
        QStringLiteral("Integrations"), QStringLiteral("Choose which coding assistants Quorvel monitors."),
        {card, SettingsPages::note({integrationStatus_, repairButton_, integrationError_})});
}

QWidget* SettingsWindowController::makeGeneralPage(const BuildInfo& buildInfo) {
    launchSwitch_ = new ToggleSwitch(QStringLiteral("Launch at Login"));
    connect(launchSwitch_, &QAbstractButton::clicked, this, &SettingsWindowController::changeLaunchAtLogin);
    updateButton_ = new QPushButton(QStringLiteral("Check for Updates\u2026"));
    connect(updateButton_, &QPushButton::clicked, this, &SettingsWindowController::checkForSoftwareUpdates);
    updateButton_->setHidden(buildInfo.updateFeedURL.isEmpty());
    launchStatus_ = SettingsPages::detail(launchNotice);
    loginItemsButton_ = new QPushButton(QStringLiteral("Open Autostart Folder\u2026"));
    connect(loginItemsButton_, &QPushButton::clicked, this, &SettingsWindowController::openLoginSettings);
    loginItemsButton_->hide();

    shortcutKeys_ = SettingsPages::detail(QString());
    shortcutKeys_->setWordWrap(false);
    shortcutDetail_ = SettingsPages::detail(QString());
    return SettingsPages::page(
        QStringLiteral("General"), QStringLiteral("Choose how Quorvel starts on this computer."),
        {SettingsPages::group(
             {SettingsPages::settingRow(QStringLiteral("Launch at Login"),
                                        QStringLiteral("Open Quorvel when you sign in."), launchSwitch_)}),
         SettingsPages::group(
             {SettingsPages::settingRow(QStringLiteral("Open Quorvel"), shortcutDetail_, shortcutKeys_)}),
         SettingsPages::group({SettingsPages::settingRow(QStringLiteral("Software Updates"),
                                                         updatesDetail(buildInfo), updateButton_)}),
         SettingsPages::note({launchStatus_, loginItemsButton_})});
}

QWidget* SettingsWindowController::makeLegalPage(const ResourceBundle& resourceBundle,
                                                 const QString& documentName, const QString& title,
                                                 const QString& onlinePath, Workspace& workspace) {
    const auto contents = SettingsLegalDocuments::load(resourceBundle, documentName);
    const SettingsLegalDocuments::Document document = contents.value_or(SettingsLegalDocuments::Document{});
    return SettingsLegalDocuments::document(title, document.introduction, onlinePath, document.sections,
                                            websiteBase_, workspace);
}

QWidget* SettingsWindowController::scrolling(QWidget* page) {
    page->setMinimumSize(580, 510);
    page->setMaximumWidth(580);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
    scroll->setWidget(page);
    return scroll;
}

void SettingsWindowController::prepareForShowing(const State& state) {
    codexSwitch_->setChecked(state.codexEnabled);
    claudeSwitch_->setChecked(state.claudeEnabled);
    const bool needsRepair =
        state.claudeEnabled && state.claudeHealth == ClaudeIntegrationHealth::needsRepair;
    integrationStatus_->setText(needsRepair ? repairNotice : integrationRequirement);
    repairButton_->setVisible(needsRepair);
    integrationError_->hide();
    const bool needsApproval = state.launchAtLogin == LaunchAtLoginState::needsApproval;
    launchSwitch_->setChecked(state.launchAtLogin == LaunchAtLoginState::enabled);
    launchStatus_->setText(needsApproval ? approvalNotice : launchNotice);
    loginItemsButton_->setVisible(needsApproval);
    showShortcut(state.shortcutAvailable);
}

void SettingsWindowController::showShortcut(bool available) {
    const QString keys = ShortcutKeys::combination();
    shortcutKeys_->setText(available ? keys : QStringLiteral("Not available"));
    shortcutDetail_->setText(
        available ? QStringLiteral("Press ") + keys + QStringLiteral(" from any app. ") + trayHint
                  : keys + QStringLiteral(" is not available in this desktop session. ") +
                        ShortcutKeys::commandBinding() + u' ' + trayHint);
}

void SettingsWindowController::showWindow() {
    WindowPlacement::bringToFront(*window_);
    if (QWidget* focused = window_->focusWidget())
        focused->clearFocus();
    window_->setFocus(Qt::OtherFocusReason);
}

void SettingsWindowController::selectSection(SettingsSidebarButton* sender) {
    tabs_->setCurrentIndex(sender->tag());
    for (SettingsSidebarButton* button : sectionButtons_) {
        button->setChecked(button == sender);
        button->update();
    }
}

void SettingsWindowController::filterSections() {
    const QString text = searchField_->text().trimmed();
    const auto& sections = SettingsSection::all();
    for (std::size_t index = 0; index < sectionButtons_.size(); ++index)
        sectionButtons_[index]->setVisible(sections[index].matches(text));

    SettingsSidebarButton* selected = nullptr;
    for (SettingsSidebarButton* button : sectionButtons_)
        if (!selected && button->isChecked())
            selected = button;
    if (!selected || !selected->isHidden())
        return;
    for (SettingsSidebarButton* button : sectionButtons_)
        if (!button->isHidden())
            return selectSection(button);
}

void SettingsWindowController::changeIntegrations(ToggleSwitch* sender) {
    try {
        actions_.saveIntegrations(codexSwitch_->isChecked(), claudeSwitch_->isChecked());
        showIntegrationsSaved();
    } catch (const std::exception& error) {
        sender->setChecked(!sender->isChecked());
        showIntegrationFailure(error);
    }
}

// Saving Claude Code while it is on installs its hooks again, which repairs them.
void SettingsWindowController::repairIntegrations() {
    try {
        actions_.saveIntegrations(codexSwitch_->isChecked(), claudeSwitch_->isChecked());
        showIntegrationsSaved();
    } catch (const std::exception& error) {
        showIntegrationFailure(error);
    }
}

void SettingsWindowController::showIntegrationsSaved() {
    integrationError_->hide();
    repairButton_->hide();
    integrationStatus_->setText(QStringLiteral("Changes saved."));
}

void SettingsWindowController::showIntegrationFailure(const std::exception& error) {
    integrationError_->setText(IntegrationFailureText::describe(error));
    integrationError_->show();
}

void SettingsWindowController::changeLaunchAtLogin() {
    try {
        actions_.setLaunchAtLogin(launchSwitch_->isChecked());
        launchStatus_->setText(QStringLiteral("Launch at Login updated."));
        loginItemsButton_->hide();
    } catch (const std::exception& error) {
        launchSwitch_->setChecked(!launchSwitch_->isChecked());
        launchStatus_->setText(IntegrationFailureText::errorText(error));
        loginItemsButton_->setVisible(IntegrationFailureText::offersLoginItems(error));
    }
}

void SettingsWindowController::openLoginSettings() {
    actions_.openLoginItems();
}

void SettingsWindowController::checkForSoftwareUpdates() {
    actions_.checkForUpdates();
}

} // namespace quorvel
