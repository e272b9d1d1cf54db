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

// An offset can move a four-digit year outside what the UTC text form writes back.
TEST(Iso8601, MomentsOutsideYearsOneTo9999AreRejected) {
    EXPECT_EQ(Iso8601::parseWholeSeconds("0001-01-01T00:00:00Z"), Iso8601::earliest);
    EXPECT_EQ(Iso8601::parseWholeSeconds("9999-12-31T23:59:59Z"), Iso8601::latest);
    EXPECT_EQ(Iso8601::parseWholeSeconds("0001-01-01T00:00:00-00:01"), Iso8601::earliest + 60);
    EXPECT_EQ(Iso8601::parseFractionalSeconds("9999-12-31T23:59:59.000Z"), Iso8601::latest);
    for (const char* text : {"0000-01-01T00:00:00+00:01", "0000-06-01T00:00:00Z", "0001-01-01T00:00:00+00:01",
                             "9999-12-31T23:59:59-00:01", "9999-12-31T23:30:00-23:59"})
        EXPECT_FALSE(Iso8601::parseWholeSeconds(text)) << text;
    for (const char* text :
         {"9999-12-31T23:59:59.000-00:01", "9999-12-31T23:59:59.5Z", "0000-12-31T23:59:59.999Z"})
        EXPECT_FALSE(Iso8601::parseFractionalOrWholeSeconds(text)) << text;

    for (Date date : {Iso8601::earliest, Iso8601::latest}) {
        EXPECT_TRUE(Iso8601::isRepresentable(date));
        EXPECT_EQ(Iso8601::parseWholeSeconds(Iso8601::formatWholeSeconds(date)), date);
    }
    EXPECT_FALSE(Iso8601::isRepresentable(Iso8601::earliest - 0.5));
    EXPECT_FALSE(Iso8601::isRepresentable(Iso8601::latest + 0.5));
}
