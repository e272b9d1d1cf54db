#include "App/AppcastFeed.h"
#include "App/DottedVersion.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(DottedVersionCompare, ComparesPartsAsNumbers) {
    using DottedVersion::compare;
    EXPECT_EQ(compare("1.10", "1.9"), std::strong_ordering::greater);
    EXPECT_EQ(compare("1.2", "1.2.0"), std::strong_ordering::equal);
    EXPECT_EQ(compare("2", "10"), std::strong_ordering::less);
    EXPECT_EQ(compare("1.02", "1.2"), std::strong_ordering::equal);
    EXPECT_EQ(compare(" 1.0.1 ", "1.0"), std::strong_ordering::greater);
    // Parts far beyond any integer type still order correctly.
    EXPECT_EQ(compare("1.99999999999999999999999", "1.99999999999999999999998"),
              std::strong_ordering::greater);
}

TEST(DottedVersionCompare, TextThatIsNotADottedVersionComparesWithNothing) {
    for (const char* bad : {"", "1.", ".1", "1..2", "1.2-beta", "v1.2", "Development", "1 .2", "١.٢"})
        EXPECT_EQ(DottedVersion::compare(QString::fromUtf8(bad), "1.0"), std::nullopt) << bad;
}

const QByteArray feed = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:u="http://example.org/update-feed">
  <channel>
    <title>Quorvel</title>
    <item>
      <title>Quorvel 1.2</title>
      <u:version>1.2.0</u:version>
      <u:shortVersionString>1.2</u:shortVersionString>
      <link>https://example.org/quorvel/1.2</link>
    </item>
    <item>
      <title>Quorvel 1.1</title>
      <enclosure url="https://example.org/quorvel-1.1.tar.gz" u:version="1.1.0" u:shortVersionString="1.1"/>
    </item>
    <item><version>1.3.0</version><link>http://example.org/insecure</link></item>
  </channel>
</rss>)";

TEST(AppcastFeedParse, ReadsItemsFromElementsOrTheEnclosure) {
    const auto items = AppcastFeed::parse(feed);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ(items->at(0), (AppcastItem{"1.2.0", "1.2", "https://example.org/quorvel/1.2"}));
    EXPECT_EQ(items->at(1), (AppcastItem{"1.1.0", "1.1", "https://example.org/quorvel-1.1.tar.gz"}));
    EXPECT_EQ(items->at(2).displayVersion(), "1.3.0");
}

TEST(AppcastFeedParse, RefusesWhatIsNotAnRssDocument) {
    const char* documents[] = {
        "",
        "not xml at all",
        "{\"version\": \"9.9\"}",
        "<feed><item><version>9</version></item></feed>",
        "<rss><channel><item><version>9</version></item></channel>",  // unterminated
        "<rss><channel></channel></rss><rss/>",                       // two roots
        "<!DOCTYPE rss [<!ENTITY a \"aaaa\">]><rss><channel/></rss>", // document type
        "<rss><channel><item><version>&undefined;</version></item></channel></rss>",
        "<rss/>",                                                                        // no item at all
        "<rss><channel><item><link>https://example.org/d</link></item></channel></rss>", // no version
    };
    for (const char* document : documents)
        EXPECT_EQ(AppcastFeed::parse(document), std::nullopt) << document;
}

QByteArray feedOfVersions(const QStringList& versions) {
    QByteArray document = "<rss><channel>";
    for (const QString& version : versions)
        document += "<item><version>1.0</version><shortVersionString>" + version.toHtmlEscaped().toUtf8() +
                    "</shortVersionString><link>https://example.org/d</link></item>";
    return document + "</channel></rss>";
}

TEST(AppcastFeedParse, LeavesOutItemsWhoseVersionIsNoVersionText) {
    const QString longest = QStringLiteral("1.") + QString(62, u'9');
    const QStringList refused = {QStringLiteral("9.9.9-") + QString(900'000, u'W'),
                                 longest + u'9',
                                 QStringLiteral("\u202E1.2"),
                                 QStringLiteral("1.2 beta"),
                                 QStringLiteral("1.2<b>"),
                                 QStringLiteral("\u0661.\u0662"),
                                 QStringLiteral("1.2\u2069")};
    // A feed whose only item is refused has nothing to offer: it is no feed.
    for (const QString& version : refused)
        EXPECT_EQ(AppcastFeed::parse(feedOfVersions({version})), std::nullopt)
            << version.left(40).toStdString();

    const auto kept = AppcastFeed::parse(feedOfVersions({longest, refused[0], "2.0-rc.1+build_7~x"}));
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 2u);
    EXPECT_EQ(kept->at(0).shortVersion, longest);
    EXPECT_EQ(kept->at(1).shortVersion, "2.0-rc.1+build_7~x");
}

TEST(AppcastFeedNewestUpdate, PicksTheNewestNewerReleaseWithASecureLink) {
    const auto items = *AppcastFeed::parse(feed);
    // 1.3.0 is newest but links over plain HTTP, so 1.2 is offered.
    EXPECT_EQ(AppcastFeed::newestUpdate(items, "1.0.0")->shortVersion, "1.2");
    EXPECT_EQ(AppcastFeed::newestUpdate(items, "1.1.5")->shortVersion, "1.2");
    EXPECT_EQ(AppcastFeed::newestUpdate(items, "1.2"), std::nullopt);
    EXPECT_EQ(AppcastFeed::newestUpdate(items, "Development"), std::nullopt);
}

TEST(AppcastFeedNewestUpdate, SkipsReleasesWithoutAComparableVersionOrLink) {
    const std::vector<AppcastItem> items = {
        {"2.0-beta", "2.0 beta", "https://example.org/beta"},
        {"", "", "https://example.org/none"},
        {"3.0", "3.0", ""},
        {"4.0", "4.0", "javascript:alert(1)"},
        {"5.0", "5.0", "https:///no-host"},
        {"1.5", "1.5", "https://example.org/1.5"},
    };
    EXPECT_EQ(AppcastFeed::newestUpdate(items, "1.0")->version, "1.5");
}

} // namespace
} // namespace quorvel
