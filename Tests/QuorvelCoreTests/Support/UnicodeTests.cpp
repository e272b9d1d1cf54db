#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(Unicode, TrimsUnicodeWhiteSpaceAndLineBreaks) {
    EXPECT_EQ(Unicode::trimmed("  api  "), "api");
    EXPECT_EQ(Unicode::trimmed("\t\n\u00A0\u3000name\u2028\r\n"), "name");
    EXPECT_EQ(Unicode::trimmed(" \n "), "");
    EXPECT_EQ(Unicode::trimmed("a b"), "a b");
    EXPECT_EQ(Unicode::trimmed("\u200Bx"), "\u200Bx"); // zero width space is not White_Space
}

TEST(Unicode, TrimsTheStartOnly) {
    EXPECT_EQ(Unicode::trimmedStart("\u2003\t x y \n"), "x y \n");
    EXPECT_EQ(Unicode::trimmedStart(" \n "), "");
    EXPECT_EQ(Unicode::trimmedStart("\xC3 x"), "\xC3 x"); // invalid UTF-8 stops the trim
}

TEST(Unicode, CollapsesWhiteSpaceRuns) {
    EXPECT_EQ(Unicode::collapsedWhiteSpace("  fix\n\n the\tbug  "), "fix the bug");
    EXPECT_EQ(Unicode::collapsedWhiteSpace(" \u2029 "), "");
}

TEST(Unicode, CountsAndCutsExtendedGraphemeClusters) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // one cluster, five code points
    const std::string flag = "\U0001F1E9\U0001F1EA";
    EXPECT_EQ(Unicode::graphemeCount(family + "ab" + flag), 4u);
    EXPECT_EQ(Unicode::graphemePrefix(family + "ab", 1), family);
    EXPECT_EQ(Unicode::graphemePrefix("e\u0301x", 1), "e\u0301");
    EXPECT_EQ(Unicode::graphemePrefix("abc", 10), "abc");
    EXPECT_EQ(Unicode::graphemeCount("\r\n"), 1u);
    EXPECT_EQ(Unicode::graphemeCount(std::string(5000, 'a'), 4096), 4097u);
}

TEST(Unicode, RepairsIllFormedUtf8) {
    EXPECT_TRUE(Unicode::isValidUtf8("h\u00E9llo"));
    EXPECT_FALSE(Unicode::isValidUtf8("a\xFF"));
    EXPECT_FALSE(Unicode::isValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_EQ(Unicode::repairedUtf8("a\xFF"
                                    "b"),
              "a\uFFFD"
              "b");
    EXPECT_EQ(Unicode::graphemeCount("a\xFF\xFE"), 3u);
}

TEST(Uuid, AcceptsOnlyTheCanonicalFormInEitherCase) {
    EXPECT_TRUE(Uuid::isUuidText("0199a3c4-7b2e-7f10-9c1d-2e3f4a5b6c7d"));
    EXPECT_TRUE(Uuid::isUuidText("0199A3C4-7B2E-7F10-9C1D-2E3F4A5B6C7D"));
    EXPECT_FALSE(Uuid::isUuidText("{0199a3c4-7b2e-7f10-9c1d-2e3f4a5b6c7d}"));
    EXPECT_FALSE(Uuid::isUuidText("0199a3c4-7b2e-7f10-9c1d-2e3f4a5b6c7"));
    EXPECT_FALSE(Uuid::isUuidText("0199a3c47b2e-7f10-9c1d-2e3f4a5b6c7d0"));
    EXPECT_FALSE(Uuid::isUuidText("0199a3c4-7b2e-7f10-9c1d-2e3f4a5b6c7g"));
    EXPECT_EQ(Uuid::lowercased("AbC-9"), "abc-9");
}
