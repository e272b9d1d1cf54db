#include "Fakes/RecordingWorkspace.h"
#include "Platform/ResourceBundle.h"
#include "Windows/Palette.h"
#include "Windows/SettingsLegalDocuments.h"

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <gtest/gtest.h>
#include <memory>

namespace quorvel {
namespace {

using SettingsLegalDocuments::Section;

struct Block {
    QString text;
    int pixelSize;
    qreal bottomMargin;
    qreal lineHeight;
    QString anchor;
};

std::vector<Block> blocks(const QTextDocument& document) {
    std::vector<Block> result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat characters = block.begin().fragment().charFormat();
        result.push_back({block.text(), characters.font().pixelSize(), block.blockFormat().bottomMargin(),
                          block.blockFormat().lineHeight(), characters.anchorHref()});
    }
    return result;
}

TEST(SettingsLegalDocuments, ParsesTheIntroductionAndEverySection) {
    const auto document = SettingsLegalDocuments::parse(
        "Intro line.\r\n\r\n## First\r\nOne.\r\n\r\nTwo.\r\n## Second\nThree.\n## Empty\n");
    EXPECT_EQ(document.introduction, "Intro line.");
    EXPECT_EQ(document.sections,
              (std::vector<Section>{{"First", "One.\n\nTwo."}, {"Second", "Three."}, {"Empty", QString()}}));
    EXPECT_TRUE(SettingsLegalDocuments::parse("Only an introduction.").sections.empty());
}

TEST(SettingsLegalDocuments, TheBundledPolicyHasElevenSectionsAndTheTermsSixteen) {
    const auto privacy = SettingsLegalDocuments::load(ResourceBundle::module(), "privacy-policy");
    const auto terms = SettingsLegalDocuments::load(ResourceBundle::module(), "terms-and-conditions");
    ASSERT_TRUE(privacy && terms);
    EXPECT_EQ(privacy->sections.size(), 11u);
    EXPECT_EQ(terms->sections.size(), 16u);
    for (const auto* document : {&*privacy, &*terms}) {
        EXPECT_FALSE(document->introduction.isEmpty());
        for (const Section& section : document->sections) {
            EXPECT_FALSE(section.title.isEmpty());
            EXPECT_FALSE(section.body.isEmpty()) << section.title.toStdString();
            EXPECT_FALSE(section.body.contains("\n\n\n"));
        }
    }
    EXPECT_FALSE(SettingsLegalDocuments::load(ResourceBundle::module(), "missing"));
}

TEST(SettingsLegalDocuments, FormatsEachPieceWithItsSizeAndSpacingAndBodiesWithSingleLineBreaks) {
    QTextDocument document;
    SettingsLegalDocuments::format(document, "Privacy Policy", "Intro.", std::nullopt,
                                   {{"Heading", "First paragraph.\n\nSecond."}});
    const auto pieces = blocks(document);
    ASSERT_EQ(pieces.size(), 6u);
    const auto expect = [&](std::size_t index, const char* text, int size, qreal spacing, qreal lineHeight) {
        EXPECT_EQ(pieces[index].text, QString::fromUtf8(text));
        EXPECT_EQ(pieces[index].pixelSize, size) << text;
        EXPECT_EQ(pieces[index].bottomMargin, spacing) << text;
        EXPECT_EQ(pieces[index].lineHeight, lineHeight) << text;
    };
    expect(0, "Privacy Policy", 24, 8, 0);
    expect(1, "Intro.", 13, 10, 0);
    expect(2, "Last updated: 22 September 2026", 11, 24, 0);
    expect(3, "Heading", 16, 7, 0);
    expect(4, "First paragraph.", 13, 8, 2);
    expect(5, "Second.", 13, 8, 2);
    EXPECT_FALSE(document.toPlainText().contains("View the current online copy"));

    const QTextFrameFormat frame = document.rootFrame()->frameFormat();
    EXPECT_EQ(frame.leftMargin(), 28);
    EXPECT_EQ(frame.rightMargin(), 28);
    EXPECT_EQ(frame.topMargin(), 26);
    EXPECT_EQ(frame.bottomMargin(), 26);
}

TEST(SettingsLegalDocuments, TextFromTheDocumentIsNeverReadAsMarkup) {
    QTextDocument document;
    SettingsLegalDocuments::format(document, "<h1>Title</h1>", "<img src=x>", std::nullopt,
                                   {{"<b>x</b>", "a &amp; <a href='y'>z</a>"}});
    const QString text = document.toPlainText();
    EXPECT_TRUE(text.contains("<h1>Title</h1>"));
    EXPECT_TRUE(text.contains("<img src=x>"));
    EXPECT_TRUE(text.contains("a &amp; <a href='y'>z</a>"));
    for (const auto& piece : blocks(document))
        EXPECT_TRUE(piece.anchor.isEmpty());
}

TEST(SettingsLegalDocuments, WithAWebsiteTheLastLineLinksToTheOnlineCopy) {
    testing::RecordingWorkspace workspace;
    std::unique_ptr<QTextBrowser> page(SettingsLegalDocuments::document(
        "Terms & Conditions", "Intro.", "terms", {{"One", "Body."}}, "https://quorvel.example", workspace));
    const auto pieces = blocks(*page->document());
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces.back().text, "View the current online copy \u2197");
    EXPECT_EQ(pieces.back().anchor, "https://quorvel.example/terms");
    EXPECT_EQ(pieces.back().pixelSize, 12);
    EXPECT_EQ(pieces.back().bottomMargin, 24);
    EXPECT_TRUE(page->isReadOnly());
    EXPECT_FALSE(page->openLinks());

    emit page->anchorClicked(QUrl(pieces.back().anchor));
    EXPECT_EQ(workspace.openedURLs, QStringList{"https://quorvel.example/terms"});

    std::unique_ptr<QTextBrowser> offline(SettingsLegalDocuments::document(
        "Terms & Conditions", "Intro.", "terms", {}, std::nullopt, workspace));
    EXPECT_FALSE(offline->toPlainText().contains("View the current online copy"));
}

} // namespace
} // namespace quorvel
