#include "Platform/ResourceBundle.h"
#include "Windows/HardWrap.h"
#include "Windows/LicenceTexts.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

QStringList words(const QString& text) {
    return text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

TEST(HardWrap, AParagraphWrappedAtAWidthBecomesOneLine) {
    const QString text = "Permission is hereby granted, free of charge, to any person obtaining a copy\n"
                         "of this software and associated documentation files (the \"Software\"), to\n"
                         "deal in the Software without restriction.\n"
                         "\n"
                         "  The licenses for most software are designed to take away your\n"
                         "freedom to share and change it.\n";
    EXPECT_EQ(
        HardWrap::joined(text),
        "Permission is hereby granted, free of charge, to any person obtaining a copy of this software and "
        "associated documentation files (the \"Software\"), to deal in the Software without restriction.\n"
        "\n"
        "  The licenses for most software are designed to take away your freedom to share and change it.\n");
}

TEST(HardWrap, TitlesListItemsCopyrightLinesAndShortBlocksKeepTheirLines) {
    const QString text =
        "                    GNU GENERAL PUBLIC LICENSE\n"
        "                       Version 3, 29 June 2007\n"
        "\n"
        "  The Corresponding Source need not include anything that users can regenerate automatically\n"
        "    a) The work must carry prominent notices stating that you modified it, and giving a relevant\n"
        "    date.\n"
        "    (b) Another item that starts on its own line even after a long one that runs right up to the\n"
        "    end.\n"
        "Copyright (c) 2013-present Cole Bemis, who wrote the original icons of this set, long ago now\n"
        "Copyright (c) 2026 Lucide Icons and Contributors, who keep on drawing new ones every single week\n"
        "\n"
        "  <signature of Ty Coon>, 1 April 1990\n"
        "  Ty Coon, President of Vice\n";
    EXPECT_EQ(
        HardWrap::joined(text),
        "                    GNU GENERAL PUBLIC LICENSE\n"
        "                       Version 3, 29 June 2007\n"
        "\n"
        "  The Corresponding Source need not include anything that users can regenerate automatically\n"
        "    a) The work must carry prominent notices stating that you modified it, and giving a "
        "relevant date.\n"
        "    (b) Another item that starts on its own line even after a long one that runs right up to "
        "the end.\n"
        "Copyright (c) 2013-present Cole Bemis, who wrote the original icons of this set, long ago now\n"
        "Copyright (c) 2026 Lucide Icons and Contributors, who keep on drawing new ones every single "
        "week\n"
        "\n"
        "  <signature of Ty Coon>, 1 April 1990\n"
        "  Ty Coon, President of Vice\n");
}

TEST(HardWrap, TextWithoutHardBreaksIsUnchanged) {
    for (const QString& text :
         {QString(), QStringLiteral("One line."), QStringLiteral("A\n\nB\n"),
          QString(QStringLiteral("airplay, alert-circle, ")).repeated(20) + "check\nThe MIT License (MIT)\n"})
        EXPECT_EQ(HardWrap::joined(text), text) << text.toStdString();
}

// Every bundled licence: the same words in the same order, on far fewer lines.
TEST(HardWrap, TheBundledLicencesKeepEveryWordAndLoseTheirRaggedLines) {
    std::vector<LicenceTexts::Licence> licences = LicenceTexts::thirdPartyLibraries();
    licences.push_back(LicenceTexts::lucide());
    for (const auto& licence : licences) {
        const QString text = LicenceTexts::text(ResourceBundle::module(), licence);
        ASSERT_FALSE(text.contains("could not be loaded")) << licence.name.toStdString();
        const QString joined = HardWrap::joined(text);
        EXPECT_EQ(words(joined), words(text)) << licence.name.toStdString();
        if (text.count(u'\n') > 8) { // a note of a paragraph or two has no ragged lines to lose
            EXPECT_LT(joined.count(u'\n'), text.count(u'\n') * 3 / 4) << licence.name.toStdString();
        }
    }
    const QString card = LicenceTexts::compose(ResourceBundle::module());
    EXPECT_TRUE(card.contains("\n                    GNU GENERAL PUBLIC LICENSE\n"));
    EXPECT_TRUE(card.contains("\n  0. Definitions.\n"));
    EXPECT_TRUE(
        card.contains("Permission to use, copy, modify, and/or distribute this software for any purpose "
                      "with or without fee is hereby granted, provided that the above copyright notice "
                      "and this permission notice appear in all copies.\n"));
}

} // namespace
} // namespace quorvel
