#include "Services/JpegRowReader.h"
#include "Services/TestImages.h"

#include <QBuffer>
#include <QImageReader>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// What Qt's reader reports for the file's EXIF orientation.
int transformOf(const QByteArray& file) {
    QByteArray data = file;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return static_cast<int>(reader.transformation());
}

TEST(JpegRowReader, KnowsWhatAProgressiveJpegsCoefficientsTake) {
    const QImage picture = testing::quarteredImage(QSize(64, 48));
    // 8 x 6 blocks for each of three full components, 128 bytes each.
    EXPECT_EQ(JpegRowReader::coefficientBytes(view(testing::progressiveJpeg(picture, true))), 3u * 48 * 128);
    // With chroma halved each way, Cb and Cr have 4 x 3 blocks.
    EXPECT_EQ(JpegRowReader::coefficientBytes(view(testing::progressiveJpeg(picture, false))),
              (48u + 24) * 128);
    EXPECT_EQ(JpegRowReader::coefficientBytes(view(testing::encoded(picture, "jpeg"))), 0u) << "sequential";
    EXPECT_EQ(JpegRowReader::coefficientBytes("not a jpeg"), 0u);
}

// Decoded with its coefficients in a file, a progressive JPEG looks as Qt's reader shows it, turned by
// its orientation and scaled.
TEST(JpegRowReader, ReadsProgressiveJpegsUprightAndScaled) {
    const QImage upright = testing::quarteredImage(QSize(320, 160));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QByteArray file = testing::withExifOrientation(
            testing::progressiveJpeg(testing::storedForOrientation(upright, orientation), true), orientation);
        const QImage full = JpegRowReader::decodeScaled(view(file), upright.size(), transformOf(file));
        ASSERT_EQ(full.size(), upright.size()) << orientation;
        EXPECT_TRUE(testing::isUpright(full)) << orientation;
        const QImage small = JpegRowReader::decodeScaled(view(file), QSize(32, 16), transformOf(file));
        ASSERT_EQ(small.size(), QSize(32, 16)) << orientation;
        EXPECT_TRUE(testing::isUpright(small)) << orientation;
    }
}

// A JPEG cut short shows what arrived, as Qt's reader does; one without its frame header is nothing.
TEST(JpegRowReader, ACutJpegShowsWhatArrivedAndABrokenOneNothing) {
    const QByteArray file = testing::progressiveJpeg(testing::noiseImage(QSize(256, 256), 200), true);
    for (const qsizetype length : {file.size() / 3, file.size() / 2, file.size() - 3})
        EXPECT_EQ(JpegRowReader::decodeScaled(view(file.left(length)), QSize(8, 8), 0).size(), QSize(8, 8));
    for (const QByteArray& broken : {file.left(20), QByteArray("not a jpeg")})
        EXPECT_TRUE(JpegRowReader::decodeScaled(view(broken), QSize(8, 8), 0).isNull());
}

} // namespace
} // namespace quorvel
