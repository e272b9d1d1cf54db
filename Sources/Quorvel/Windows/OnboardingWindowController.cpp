#include "Windows/OnboardingWindowController.h"

#include "App/ShortcutKeys.h"
#include "Windows/AccessibilityHidden.h"
#include "Windows/BackgroundDrag.h"
#include "Windows/CardBox.h"
#include "Windows/CheckBox.h"
#include "Windows/IntegrationFailureText.h"
#include "Windows/OnboardingPageText.h"
#include "Windows/PageTransition.h"
#include "Windows/ReturnKeyTrigger.h"
#include "Windows/ScaledImageView.h"
#include "Windows/TextLabel.h"
#include "Windows/Typography.h"
#include "Windows/WindowPlacement.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int sideInset = 38;
// The frame's distances are measured from the top of a window whose content runs under a transparent
// title bar of this height; here the window manager draws the title bar above the content instead.
constexpr int titleBarHeight = 28;

TextLabel* centred(TextLabel* label, int width, int maximumLines) {
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setMaximumLines(maximumLines);
    label->fitToWidth(width);
    return label;
}

// The shortcut's keys in large type, each on a key of its own.
QWidget* keycaps() {
    auto* row = new QWidget;
    row->setAccessibleName(ShortcutKeys::spoken());
    auto* keys = new QHBoxLayout(row);
    keys->setContentsMargins(0, 0, 0, 0);
    keys->setSpacing(16);
    for (const QString& key : ShortcutKeys::keys()) {
        TextLabel* label = TextLabel::oneLine(key, 40, QFont::DemiBold);
        label->setAlignment(Qt::AlignCenter);
        CardBox* cap = CardBox::containing(label, QMargins(22, 6, 22, 8), 12);
        cap->setMinimumWidth(cap->sizeHint().height());
        keys->addWidget(cap);
    }
    return row;
}

} // namespace

OnboardingWindowController::OnboardingWindowController(const ResourceBundle& resourceBundle,
                                                       ApplySelection applySelection,
                                                       std::function<void()> finish,
                                                       std::function<void()> openLoginItems, QObject* parent)
    : QObject(parent), applySelection_(std::move(applySelection)), finish_(std::move(finish)),
      openLoginItems_(std::move(openLoginItems)), resourceBundle_(resourceBundle),
      window_(WindowPlacement::makeWindow(QStringLiteral("Welcome to Quorvel"))),
      checkboxShelf_(std::make_unique<QWidget>()) {
    codexCheckbox_ = new CheckBox(QStringLiteral("Codex"), 17, QFont::Medium);
    claudeCheckbox_ = new CheckBox(QStringLiteral("Claude Code"), 17, QFont::Medium);
    loginCheckbox_ = new CheckBox(QStringLiteral("Launch Quorvel at login"), 14, QFont::Normal);
    for (QCheckBox* box : {codexCheckbox_, claudeCheckbox_, loginCheckbox_})
        box->setParent(checkboxShelf_.get());
    buildWindow();
    WindowPlacement::centre(*window_);
}

OnboardingWindowController::~OnboardingWindowController() {
    // The pages go with the window; the check boxes stay on their shelf.
    if (transition_)
        transition_->finish();
    if (QWidget* page = currentPage())
        keepCheckboxes(page);
}

void OnboardingWindowController::buildWindow() {
    window_->setFixedSize(contentWidth, contentHeight - titleBarHeight);
    new BackgroundDrag(window_.get());

    header_ = TextLabel::oneLine(QStringLiteral("QUORVEL  /  GETTING STARTED"), 11, QFont::Bold,
                                 TextColour::secondaryLabel);
    contentHost_ = new QWidget;
    errorLabel_ = TextLabel::wrapping(QString(), 12, QFont::Medium, TextColour::systemRed);
    errorLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    errorLabel_->setMaximumLines(2);
    loginItemsButton_ = new QPushButton(QStringLiteral("Open Autostart Folder\u2026"));
    pageIndicator_ = new TextLabel(QString(), Typography::monospacedDigit(12, QFont::Medium),
                                   TextColour::secondaryLabel, TextLabel::Wrapping::oneLine);
    pageIndicator_->setAccessibleName(QStringLiteral("Onboarding progress"));
    backButton_ = new QPushButton(QStringLiteral("Back"));
    nextButton_ = new QPushButton(QStringLiteral("Continue"));
    nextButton_->setDefault(true);
    for (QWidget* child : std::initializer_list<QWidget*>{
             header_, contentHost_, errorLabel_, loginItemsButton_, pageIndicator_, backButton_, nextButton_})
        child->setParent(window_.get());
    errorLabel_->hide();
    loginItemsButton_->hide();

    connect(backButton_, &QPushButton::clicked, this, &OnboardingWindowController::goBack);
    connect(nextButton_, &QPushButton::clicked, this, &OnboardingWindowController::goForward);
    connect(loginItemsButton_, &QPushButton::clicked, this, &OnboardingWindowController::openLoginSettings);
    new ReturnKeyTrigger(window_.get(), nextButton_);
    transition_ = new PageTransition(contentHost_, [this](QWidget* page) { keepCheckboxes(page); });
    placeFrame();
    showPage(false, true);
}

// The frame's views keep their places whether shown or hidden, so the page area never moves.
void OnboardingWindowController::placeFrame() {
    const int width = contentWidth;
    const int height = contentHeight - titleBarHeight;
    header_->adjustSize();
    header_->move(sideInset, 56 - titleBarHeight);

    pageIndicator_->adjustSize();
    const int indicatorHeight = pageIndicator_->sizeHint().height();
    const int indicatorTop = height - 28 - indicatorHeight;
    pageIndicator_->setGeometry(sideInset, indicatorTop, 200, indicatorHeight);
    const int indicatorCentre = indicatorTop + indicatorHeight / 2;

    const QSize loginSize(loginItemsButton_->sizeHint().width(), 26);
    const int loginTop = indicatorTop - 8 - loginSize.height();
    loginItemsButton_->setGeometry(QRect(QPoint((width - loginSize.width()) / 2, loginTop), loginSize));

    const int errorTop = loginTop - 2 - 32;
    errorLabel_->setGeometry(80, errorTop, width - 160, 32);

    const int hostTop = header_->geometry().bottom() + 1 + 14;
    contentHost_->setGeometry(sideInset, hostTop, width - 2 * sideInset, errorTop - 4 - hostTop);

    const QSize next(qMax(100, nextButton_->sizeHint().width()), nextButton_->sizeHint().height());
    nextButton_->setGeometry(
        QRect(QPoint(width - sideInset - next.width(), indicatorCentre - next.height() / 2), next));
    const QSize back = backButton_->sizeHint();
    backButton_->setGeometry(
        QRect(QPoint(nextButton_->x() - 10 - back.width(), indicatorCentre - back.height() / 2), back));
}

void OnboardingWindowController::prepare(bool codex, bool claude, bool launchAtLogin,
                                         bool shortcutAvailable) {
    shortcutAvailable_ = shortcutAvailable;
    codex_ = codex;
    claude_ = claude;
    launchAtLogin_ = launchAtLogin;
    journey_ = OnboardingJourney{};
    errorLabel_->hide();
    loginItemsButton_->hide();
    showPage(false, true);
}

void OnboardingWindowController::showWindow() {
    WindowPlacement::bringToFront(*window_);
}

void OnboardingWindowController::showPage(bool animated, bool forward) {
    transition_->show(makePage(), animated, forward);
    const OnboardingStep step = journey_.step;
    pageIndicator_->setText(OnboardingPageText::indicator(step));
    backButton_->setVisible(step != OnboardingStep::why);
    const bool last = step == OnboardingStep::ready;
    nextButton_->setText(last ? QStringLiteral("Finish") : QStringLiteral("Continue"));
    nextButton_->setAccessibleName(last ? QStringLiteral("Finish onboarding")
                                        : QStringLiteral("Continue onboarding"));
    errorLabel_->hide();
    loginItemsButton_->hide();
    placeFrame();
}

bool OnboardingWindowController::isSliding() const {
    return transition_->isRunning();
}

void OnboardingWindowController::finishSliding() {
    transition_->finish();
}

QWidget* OnboardingWindowController::currentPage() const {
    return transition_ ? transition_->currentPage() : nullptr;
}

QWidget* OnboardingWindowController::makePage() {
    const OnboardingStep step = journey_.step;
    auto* page = new QWidget;
    auto* stack = new QVBoxLayout(page);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);
    stack->addStretch();
    addTopElement(stack, step);
    stack->addWidget(centred(TextLabel::wrapping(OnboardingPageText::title(step), 28, QFont::Bold), 620, 2),
                     0, Qt::AlignHCenter);
    stack->addWidget(centred(TextLabel::wrapping(OnboardingPageText::body(step, shortcutAvailable_), 15,
                                                 QFont::Normal, TextColour::secondaryLabel),
                             570, step == OnboardingStep::find ? 5 : 3),
                     0, Qt::AlignHCenter);
    if (step == OnboardingStep::connect)
        stack->addWidget(choiceCard(), 0, Qt::AlignHCenter);
    if (step == OnboardingStep::ready)
        stack->addWidget(TextLabel::oneLine(OnboardingPageText::summary(codex_, claude_, launchAtLogin_), 13,
                                            QFont::Medium, TextColour::secondaryLabel),
                         0, Qt::AlignHCenter);
    stack->addStretch();
    return page;
}

void OnboardingWindowController::addTopElement(QVBoxLayout* stack, OnboardingStep step) const {
    const QString illustration = OnboardingPageText::illustration(step);
    if (!illustration.isEmpty()) {
        auto* image = new ScaledImageView;
        image->setImage(
            ScaledImageView::loadPNG(resourceBundle_, illustration, QStringLiteral("Onboarding")));
        image->setFixedSize(580, step == OnboardingStep::what ? 230 : 265);
        stack->addWidget(image, 0, Qt::AlignHCenter);
        AccessibilityHidden::hide(image);
        return;
    }
    if (step != OnboardingStep::find || !shortcutAvailable_)
        return;
    stack->addWidget(keycaps(), 0, Qt::AlignHCenter);
    stack->addWidget(TextLabel::oneLine(ShortcutKeys::keys().join(QStringLiteral(" + ")), 15, QFont::Medium,
                                        TextColour::secondaryLabel),
                     0, Qt::AlignHCenter);
    stack->addSpacing(32);
}

QWidget* OnboardingWindowController::choiceCard() {
    codexCheckbox_->setChecked(codex_);
    claudeCheckbox_->setChecked(claude_);
    loginCheckbox_->setChecked(launchAtLogin_);
    // The stretches keep the check boxes 14 apart and centre them in the card.
    auto* choices = new QVBoxLayout;
    choices->setSpacing(14);
    choices->addStretch();
    for (QCheckBox* box : {codexCheckbox_, claudeCheckbox_, loginCheckbox_})
        choices->addWidget(box);
    choices->addStretch();
    auto* row = new QHBoxLayout;
    row->addLayout(choices);
    row->addStretch();
    CardBox* card = CardBox::containing(row, QMargins(20, 0, 0, 0), 14);
    card->setFixedSize(500, 156);
    return card;
}

void OnboardingWindowController::keepCheckboxes(QWidget* removedPage) {
    for (QCheckBox* box : {codexCheckbox_, claudeCheckbox_, loginCheckbox_})
        if (removedPage->isAncestorOf(box))
            box->setParent(checkboxShelf_.get());
}

void OnboardingWindowController::goBack() {
    if (journey_.step == OnboardingStep::why)
        return;
    journey_.goBack();
    showPage(true, false);
}

void OnboardingWindowController::goForward() {
    if (journey_.step == OnboardingStep::connect && !applyConnectPage())
        return;
    if (journey_.step == OnboardingStep::ready) {
        if (journey_.canFinish()) {
            finish_();
            window_->close();
        }
        return;
    }
    journey_.advance();
    showPage(true, true);
}

// False, with the error shown, when the delegate refused the choice.
bool OnboardingWindowController::applyConnectPage() {
    codex_ = codexCheckbox_->isChecked();
    claude_ = claudeCheckbox_->isChecked();
    launchAtLogin_ = loginCheckbox_->isChecked();
    try {
        applySelection_(codex_, claude_, launchAtLogin_);
    } catch (const std::exception& error) {
        errorLabel_->setText(IntegrationFailureText::describe(error));
        errorLabel_->show();
        loginItemsButton_->setVisible(IntegrationFailureText::offersLoginItems(error));
        return false;
    }
    journey_.markConfigurationSaved();
    return true;
}

void OnboardingWindowController::openLoginSettings() {
    openLoginItems_();
}

} // namespace quorvel
