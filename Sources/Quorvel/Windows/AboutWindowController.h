#pragma once

#include "App/BuildInfo.h"
#include "Windows/StatusDotView.h"

#include <QObject>
#include <optional>
#include <vector>

class QPushButton;
class QWidget;

namespace quorvel {

class CardBox;
class ResourceBundle;
class TextLabel;
class Workspace;

// Builds the About and Licences pages of the settings window and answers their buttons: the legal pages
// of the product website and the icon set's website open in the default browser.
class AboutWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr const char* lucideWebsite = "https://lucide.dev";
    static constexpr const char* lucideLicencePage = "https://lucide.dev/license";

    AboutWindowController(BuildInfo buildInfo, Workspace& workspace, QObject* parent = nullptr);

    // The About page: header, introduction, status card and privacy card.
    QWidget* makeAboutContent(const ResourceBundle& resourceBundle);
    QWidget* makeLicencesContent(const ResourceBundle& resourceBundle);

    QWidget* header(const ResourceBundle& resourceBundle) const;
    QWidget* introduction() const;
    QWidget* statusCard() const;
    QWidget* privacyCard();
    QWidget* licenceHeader();
    QWidget* licenceCard(const ResourceBundle& resourceBundle) const;

    // A page of the views, one under the other, each as wide as the page.
    static QWidget* makeStack(const std::vector<QWidget*>& views);
    static TextLabel* sectionTitle(const QString& title);
    static QWidget* legendItem(const QString& title, StatusDotView::Colour colour);
    static CardBox* card(QWidget* content);

    // "Version 1.2 (abc123)", "Version Development build".
    static QString versionLine(const BuildInfo& buildInfo);
    // The text of the licence card.
    static QString licenceText(const ResourceBundle& resourceBundle);

    const std::optional<QString>& websiteBaseAddress() const { return websiteBase_; }

public slots:
    void openPrivacyPolicy();
    void openTerms();
    void openLucideWebsite();
    // The website's page with the path component appended; nothing when the build has no website.
    void openLegalPage(const QString& pathComponent);

private:
    QPushButton* legalButton(const QString& title, void (AboutWindowController::*action)());
    void open(const QString& url);

    BuildInfo buildInfo_;
    std::optional<QString> websiteBase_;
    Workspace& workspace_;
};

} // namespace quorvel
