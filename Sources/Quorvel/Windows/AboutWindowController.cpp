#include "Windows/AboutWindowController.h"

#include "Platform/ResourceBundle.h"
#include "Platform/Workspace.h"
#include "Windows/AppearanceAwareLogoImageView.h"
#include "Windows/CardBox.h"
#include "Windows/LicenceTexts.h"
#include "Windows/LinkButton.h"
#include "Windows/TextLabel.h"
#include "Windows/WebsiteAddress.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quorvel {

namespace {
constexpr int pageInset = 28;
constexpr int stackSpacing = 18;

QWidget* row(std::initializer_list<QWidget*> views, int spacing) {
    auto* widget = new QWidget;
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* view : views)
        layout->addWidget(view);
    layout->addStretch();
    return widget;
}
} // namespace

AboutWindowController::AboutWindowController(BuildInfo buildInfo, Workspace& workspace, QObject* parent)
    : QObject(parent), buildInfo_(std::move(buildInfo)),
      websiteBase_(WebsiteAddress::base(buildInfo_.websiteURL)), workspace_(workspace) {}

QWidget* AboutWindowController::makeAboutContent(const ResourceBundle& resourceBundle) {
    return makeStack({header(resourceBundle), introduction(), statusCard(), privacyCard()});
}

QWidget* AboutWindowController::makeLicencesContent(const ResourceBundle& resourceBundle) {
    auto* title = TextLabel::wrapping(QStringLiteral("Licences"), 24, QFont::DemiBold);
    auto* subtitle = TextLabel::wrapping(QStringLiteral("Open-source licences and provider attribution."), 13,
                                         QFont::Normal, TextColour::secondaryLabel);
    return makeStack({title, subtitle, licenceHeader(), licenceCard(resourceBundle)});
}

QWidget* AboutWindowController::header(const ResourceBundle& resourceBundle) const {
    auto* logoBox = CardBox::containing(new AppearanceAwareLogoImageView(resourceBundle),
                                        QMargins(10, 8, 10, 8), 9, CardBox::Fill::clear);
    logoBox->setFixedSize(220, 62);

    auto* names = new QVBoxLayout;
    names->setSpacing(3);
    names->addWidget(TextLabel::wrapping(QStringLiteral("Quorvel"), 24, QFont::DemiBold));
    names->addWidget(
        TextLabel::wrapping(versionLine(buildInfo_), 12, QFont::Normal, TextColour::secondaryLabel));

    auto* header = new QWidget;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(logoBox, 0, Qt::AlignVCenter);
    layout->addLayout(names, 1);
    return header;
}

QWidget* AboutWindowController::introduction() const {
    return TextLabel::wrapping(
        QStringLiteral("Built for working across several tasks without losing track of "
                       "which Codex or Claude Code conversation is running, waiting "
                       "for you, or ready to read."),
        14, QFont::Normal, TextColour::secondaryLabel);
}

QWidget* AboutWindowController::statusCard() const {
    auto* items = new QHBoxLayout;
    items->setSpacing(12);
    items->addWidget(legendItem(QStringLiteral("Working"), SystemColours::yellow), 1);
    items->addWidget(legendItem(QStringLiteral("Needs you"), SystemColours::red), 1);
    items->addWidget(legendItem(QStringLiteral("Unread"), SystemColours::blue), 1);
    items->addWidget(legendItem(QStringLiteral("Read"), SystemColours::green), 1);

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);
    stack->addWidget(sectionTitle(QStringLiteral("STATUS COLOURS")));
    stack->addLayout(items);
    return card(content);
}

QWidget* AboutWindowController::privacyCard() {
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(7);
    stack->addWidget(sectionTitle(QStringLiteral("LOCAL & PRIVATE")));
    stack->addWidget(TextLabel::wrapping(
        QStringLiteral(
            "Quorvel reads local Codex and Claude Code status metadata. It never approves requests, "
            "sends replies, or stores prompts, tool inputs, or tool results."),
        13, QFont::Normal, TextColour::secondaryLabel));
    stack->addWidget(
        TextLabel::wrapping(QStringLiteral("Claude uses official local hooks plus bounded history "
                                           "reads. Codex history and unread formats remain "
                                           "private and may change."),
                            12, QFont::Normal, TextColour::tertiaryLabel));
    stack->addWidget(TextLabel::wrapping(
        QStringLiteral("Quorvel does not collect response-time analytics. An issue report is sent only when "
                       "you choose its description and screenshot, then submit it to Nimbrel support."),
        12, QFont::Normal, TextColour::tertiaryLabel));
    if (websiteBase_)
        stack->addWidget(row(
            {legalButton(QStringLiteral("Privacy Policy \u2197"), &AboutWindowController::openPrivacyPolicy),
             legalButton(QStringLiteral("Terms & Conditions \u2197"), &AboutWindowController::openTerms)},
            14));
    return card(content);
}

QWidget* AboutWindowController::licenceHeader() {
    auto* website = new LinkButton(QStringLiteral("Lucide website \u2197"), 12, QFont::Normal);
    connect(website, &QPushButton::clicked, this, &AboutWindowController::openLucideWebsite);

    auto* header = new QWidget;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sectionTitle(QStringLiteral("OPEN-SOURCE LICENCES")), 1, Qt::AlignVCenter);
    layout->addWidget(website, 0, Qt::AlignVCenter);
    return header;
}

QWidget* AboutWindowController::licenceCard(const ResourceBundle& resourceBundle) const {
    return LicenceTexts::makeCard(licenceText(resourceBundle));
}

QWidget* AboutWindowController::makeStack(const std::vector<QWidget*>& views) {
    auto* page = new QWidget;
    auto* stack = new QVBoxLayout(page);
    stack->setContentsMargins(pageInset, pageInset, pageInset, pageInset);
    stack->setSpacing(stackSpacing);
    bool anyExpands = false;
    for (QWidget* view : views) {
        stack->addWidget(view);
        anyExpands = anyExpands || view->sizePolicy().verticalPolicy() == QSizePolicy::Expanding;
    }
    if (!anyExpands)
        stack->addStretch();
    return page;
}

TextLabel* AboutWindowController::sectionTitle(const QString& title) {
    return TextLabel::wrapping(title, 11, QFont::DemiBold, TextColour::secondaryLabel);
}

QWidget* AboutWindowController::legendItem(const QString& title, StatusDotView::Colour colour) {
    auto* dot = new StatusDotView(colour);
    dot->setFixedSize(10, 10);
    auto* item = new QWidget;
    auto* layout = new QHBoxLayout(item);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    layout->addWidget(dot, 0, Qt::AlignVCenter);
    layout->addWidget(TextLabel::wrapping(title, 12, QFont::Medium), 1, Qt::AlignVCenter);
    return item;
}

CardBox* AboutWindowController::card(QWidget* content) {
    return CardBox::containing(content, QMargins(16, 14, 16, 14));
}

QString AboutWindowController::versionLine(const BuildInfo& buildInfo) {
    QString line =
        QStringLiteral("Version ") + buildInfo.shortVersion.value_or(QStringLiteral("Development build"));
    if (buildInfo.commitHash)
        line += QStringLiteral(" (") + *buildInfo.commitHash + QLatin1Char(')');
    return line;
}

QString AboutWindowController::licenceText(const ResourceBundle& resourceBundle) {
    return LicenceTexts::compose(resourceBundle);
}

void AboutWindowController::openPrivacyPolicy() {
    openLegalPage(QStringLiteral("privacy"));
}

void AboutWindowController::openTerms() {
    openLegalPage(QStringLiteral("terms"));
}

void AboutWindowController::openLucideWebsite() {
    open(QString::fromLatin1(lucideWebsite));
}

void AboutWindowController::openLegalPage(const QString& pathComponent) {
    if (websiteBase_)
        open(WebsiteAddress::appending(*websiteBase_, pathComponent));
}

QPushButton* AboutWindowController::legalButton(const QString& title,
                                                void (AboutWindowController::*action)()) {
    auto* button = new LinkButton(title, 12, QFont::Medium);
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

void AboutWindowController::open(const QString& url) {
    workspace_.openURL(url, [](bool) {});
}

} // namespace quorvel
