#include "Services/HeicImageReader.h"
#include "Services/TestImages.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

TEST(HeicImageReader, ReportsEveryOrientationAndDecodesUpright) {
    const QImage upright = testing::quarteredImage(QSize(128, 64));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QByteArray file =
            testing::heicBytes(testing::storedForOrientation(upright, orientation), orientation);
        HeicImageReader reader(view(file));
        ASSERT_TRUE(reader.canRead()) << orientation;
        EXPECT_EQ(reader.orientation(), orientation);
        EXPECT_EQ(reader.size(), upright.size()) << orientation;
        const QImage image = reader.readScaled(upright.size());
        ASSERT_EQ(image.size(), upright.size()) << orientation;
        EXPECT_TRUE(testing::isUpright(image)) << orientation;
    }
}

TEST(HeicImageReader, TellsHeicFromOtherContent) {
    const QByteArray heic = testing::heicBytes(testing::quarteredImage(QSize(16, 16)), 1);
    EXPECT_TRUE(HeicImageReader::isHeic(view(heic)));
    const QByteArray png = testing::encoded(testing::quarteredImage(QSize(16, 16)), "png");
    EXPECT_FALSE(HeicImageReader::isHeic(view(png)));
    EXPECT_FALSE(HeicImageReader::isHeic(view(heic.left(11))));

    // A HEIF file of another brand is not HEIC.
    QByteArray otherBrand = heic;
    otherBrand.replace(8, 4, "mif1");
    EXPECT_FALSE(HeicImageReader::isHeic(view(otherBrand)));
}

TEST(HeicImageReader, ABrokenFileReadsAsNothing) {
    const QByteArray heic = testing::heicBytes(testing::quarteredImage(QSize(64, 64)), 6);
    for (const QByteArray& broken : {heic.left(40), heic.left(heic.size() / 2),
                                     QByteArray("\0\0\0\x18"
                                                "ftypheic",
                                                12)}) {
        HeicImageReader reader(view(broken));
        EXPECT_TRUE(reader.readScaled(QSize(64, 64)).isNull());
        EXPECT_GE(reader.orientation(), 1);
        EXPECT_LE(reader.orientation(), 8);
    }
}

} // namespace
} // namespace quorvel
