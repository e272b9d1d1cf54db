#include "Fakes/RecordingWorkspace.h"
#include "Platform/ResourceBundle.h"
#include "Support/BuildOf.h"
#include "TestSupport.h"
#include "Windows/AboutWindowController.h"
#include "Windows/LicenceTexts.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace quorvel {
namespace {

using testing::buildOf;

QPushButton* button(QWidget& page, const QString& title) {
    for (auto* candidate : page.findChildren<QPushButton*>())
        if (candidate->text().replace("&&", "&") == title)
            return candidate;
    return nullptr;
}

QStringList labelTexts(QWidget& page) {
    QStringList texts;
    for (auto* label : page.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(AboutWindowController, TheVersionLineNamesTheVersionOrADevelopmentBuildAndTheCommit) {
    using About = AboutWindowController;
    EXPECT_EQ(About::versionLine({}), "Version Development build");
    EXPECT_EQ(About::versionLine(buildOf("1.4.0")), "Version 1.4.0");
    EXPECT_EQ(About::versionLine(buildOf("1.4.0", "3f9c2ab")), "Version 1.4.0 (3f9c2ab)");
    EXPECT_EQ(About::versionLine(buildOf(std::nullopt, "3f9c2ab")), "Version Development build (3f9c2ab)");
}

TEST(AboutWindowController, TheAboutPageHoldsTheHeaderLegendAndPrivacyTexts) {
    testing::RecordingWorkspace workspace;
    AboutWindowController about(buildOf("2.0"), workspace);
    std::unique_ptr<QWidget> page(about.makeAboutContent(ResourceBundle::module()));
    const QStringList texts = labelTexts(*page);
    for (const char* expected :
         {"Quorvel", "Version 2.0", "STATUS COLOURS", "Working", "Needs you", "Unread", "Read",
          "LOCAL & PRIVATE",
          "Built for working across several tasks without losing track of which Codex or Claude Code "
          "conversation is running, waiting for you, or ready to read.",
          "Quorvel does not collect response-time analytics. An issue report is sent only when you choose "
          "its description and screenshot, then submit it to Nimbrel support."})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
}

TEST(AboutWindowController, WithoutAWebsiteThereAreNoLegalLinksAndNothingOpens) {
    testing::RecordingWorkspace workspace;
    AboutWindowController about(BuildInfo{}, workspace);
    std::unique_ptr<QWidget> card(about.privacyCard());
    EXPECT_TRUE(card->findChildren<QPushButton*>().isEmpty());
    about.openPrivacyPolicy();
    about.openLegalPage("terms");
    EXPECT_TRUE(workspace.openedURLs.isEmpty());
}

TEST(AboutWindowController, WithAWebsiteTheLegalButtonsOpenItsPagesInTheBrowser) {
    testing::RecordingWorkspace workspace;
    AboutWindowController about(buildOf(std::nullopt, std::nullopt, "https://quorvel.example/"), workspace);
    std::unique_ptr<QWidget> card(about.privacyCard());
    QPushButton* privacy = button(*card, "Privacy Policy \u2197");
    QPushButton* terms = button(*card, "Terms & Conditions \u2197");
    ASSERT_TRUE(privacy && terms);
    EXPECT_TRUE(privacy->isEnabled());
    privacy->click();
    terms->click();
    EXPECT_EQ(workspace.openedURLs,
              (QStringList{"https://quorvel.example/privacy", "https://quorvel.example/terms"}));
}

TEST(AboutWindowController, TheLucideButtonOpensTheIconSetsWebsite) {
    testing::RecordingWorkspace workspace;
    AboutWindowController about(BuildInfo{}, workspace);
    std::unique_ptr<QWidget> header(about.licenceHeader());
    QPushButton* website = button(*header, "Lucide website \u2197");
    ASSERT_TRUE(website);
    website->click();
    EXPECT_EQ(workspace.openedURLs, QStringList{"https://lucide.dev"});
}

TEST(LicenceTexts, TheCardHoldsTheIconLicenceTheLibrariesAndTheProviderMarksInOrder) {
    const QString text = AboutWindowController::licenceText(ResourceBundle::module());
    EXPECT_TRUE(text.startsWith("Lucide Icons \u00b7 ISC Licence\n\nISC License"));
    QStringList order{"Third-party libraries"};
    for (const auto& library : LicenceTexts::thirdPartyLibraries())
        order << library.heading + QStringLiteral("\n\n");
    order << "\n\nProvider marks\n\nThe OpenAI Blossom is owned by OpenAI";
    qsizetype position = 0;
    for (const QString& piece : order) {
        const qsizetype found = text.indexOf(piece, position);
        EXPECT_GT(found, position) << piece.toStdString();
        position = qMax(position, found);
    }
    EXPECT_TRUE(text.endsWith("Quorvel is not affiliated with or endorsed by Anthropic."));
    EXPECT_FALSE(text.contains("could not be loaded"));
    for (const char* licence :
         {"GNU LESSER GENERAL PUBLIC LICENSE", "Apache License", "Permission is hereby granted",
          "Version 2.1, February 1999", "GNU GENERAL PUBLIC LICENSE"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(licence))) << licence;
}

TEST(LicenceTexts, AMissingLicenceIsReplacedByWhereToReadItWhileTheRestStays) {
    testing::TemporaryDirectory folder;
    testing::writeFile(folder / "Lucide/LICENSE", "ISC License\n\nCopyright (c) Lucide Contributors\n");
    testing::writeFile(folder / "Licences/simdjson.txt", "Apache text\n");
    testing::writeFile(folder / "Licences/utf8proc.txt", "\xFF\xFE not UTF-8");
    const QString text =
        LicenceTexts::compose(ResourceBundle(QString::fromStdString(folder.path().string())));

    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Lucide Icons \u00b7 ISC Licence\n\nISC License\n\nCopyright (c) "
                                       "Lucide Contributors\n\nThird-party libraries\n\n")));
    EXPECT_TRUE(text.contains("simdjson \u00b7 Apache-2.0\n\nApache text\n\n"));
    EXPECT_TRUE(
        text.contains(QStringLiteral("Qt 6 \u00b7 LGPL-3.0\n\nThe bundled licence could not be loaded. See "
                                     "https://www.qt.io/licensing/open-source-lgpl-obligations\n\n")));
    EXPECT_TRUE(text.contains("utf8proc \u00b7 MIT\n\nThe bundled licence could not be loaded. See "));
    EXPECT_TRUE(text.contains("\n\nProvider marks\n\n"));

    const QString withoutIcons = LicenceTexts::compose(ResourceBundle("/nonexistent"));
    EXPECT_TRUE(
        withoutIcons.startsWith(QStringLiteral("Lucide Icons \u00b7 ISC Licence\n\nThe bundled licence could "
                                               "not be loaded. See https://lucide.dev/license\n\n")));
}

TEST(LicenceTexts, TheCardShowsTheTextSelectableReadOnlyAndAtLeast190High) {
    std::unique_ptr<QWidget> card(LicenceTexts::makeCard("<b>not markup</b>"));
    auto* view = card->findChild<QPlainTextEdit*>();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_TRUE(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(view->toPlainText(), "<b>not markup</b>");
    EXPECT_GE(card->minimumHeight(), 190);
    EXPECT_EQ(view->font().pixelSize(), 11);
    EXPECT_TRUE(view->font().fixedPitch() || QFontInfo(view->font()).fixedPitch());
}

} // namespace
} // namespace quorvel
