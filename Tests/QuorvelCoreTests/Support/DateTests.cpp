#include "Support/Date.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(Iso8601, ParsesWholeSecondsInUtcAndWithOffsets) {
    EXPECT_EQ(Iso8601::parseWholeSeconds("2001-01-01T00:00:00Z"), Date{0});
    EXPECT_EQ(Iso8601::parseWholeSeconds("2026-03-01T09:30:00Z"), Date::fromUnix(1772357400));
    EXPECT_EQ(Iso8601::parseWholeSeconds("2026-03-01T10:30:00+01:00"), Date::fromUnix(1772357400));
    EXPECT_EQ(Iso8601::parseWholeSeconds("2000-02-29T23:59:59Z"), Date::fromUnix(951868799));
}

TEST(Iso8601, WholeSecondsRejectsFractionsAndMalformedText) {
    for (const char* text : {"2026-03-01T09:30:00.5Z", "2026-03-01T09:30:00", "2026-03-01 09:30:00Z",
                             "2026-3-01T09:30:00Z", "2026-02-30T09:30:00Z", "2026-03-01T24:00:00Z",
                             "2026-03-01T09:30:00Zjunk", "", "2026-03-01T09:30:00+0100"})
        EXPECT_FALSE(Iso8601::parseWholeSeconds(text)) << text;
}

TEST(Iso8601, FractionalVariants) {
    const auto precise = Iso8601::parseFractionalSeconds("2026-03-01T09:30:00.250Z");
    ASSERT_TRUE(precise);
    EXPECT_DOUBLE_EQ(precise->unixSeconds(), 1772357400.25);
    EXPECT_FALSE(Iso8601::parseFractionalSeconds("2026-03-01T09:30:00Z"));
    EXPECT_FALSE(Iso8601::parseFractionalSeconds("2026-03-01T09:30:00.Z"));
    EXPECT_EQ(Iso8601::parseFractionalOrWholeSeconds("2026-03-01T09:30:00Z"), Date::fromUnix(1772357400));
    EXPECT_EQ(Iso8601::parseFractionalOrWholeSeconds("2026-03-01T09:30:00.250Z"), precise);
}

TEST(Iso8601, FormatsUtcWholeSecondsRoundingTowardsThePast) {
    EXPECT_EQ(Iso8601::formatWholeSeconds(Date::fromUnix(1772357400.999)), "2026-03-01T09:30:00Z");
    EXPECT_EQ(Iso8601::formatWholeSeconds(Date{0}), "2001-01-01T00:00:00Z");
    EXPECT_EQ(Iso8601::formatWholeSeconds(Date::fromUnix(-0.5)), "1969-12-31T23:59:59Z");
    const Date date = Date::fromUnix(1772357400);
    EXPECT_EQ(Iso8601::parseWholeSeconds(Iso8601::formatWholeSeconds(date)), date);
}
