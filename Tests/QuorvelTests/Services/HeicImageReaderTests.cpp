#include "Services/HeicImageReader.h"
#include "Services/TestImages.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <libheif/heif.h>

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

// libheif's own conversion of the whole picture to RGB, to compare with.
QImage decodedByLibheif(const QByteArray& file) {
    heif_context* context = heif_context_alloc();
    heif_context_read_from_memory_without_copy(context, file.constData(), static_cast<size_t>(file.size()),
                                               nullptr);
    heif_image_handle* handle = nullptr;
    heif_context_get_primary_image_handle(context, &handle);
    heif_image* image = nullptr;
    heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    int stride = 0;
    const std::uint8_t* pixels = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const QImage copy = QImage(pixels, heif_image_get_primary_width(image),
                               heif_image_get_primary_height(image), stride, QImage::Format_RGBA8888)
                            .copy();
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return copy;
}

int largestDifference(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return largest;
}

// The colours of a picture decoded straight from its HEVC data, or from libheif's planes when it has
// transparency, are the colours libheif itself gives.
TEST(HeicImageReader, BothWaysOfDecodingGiveLibheifsColours) {
    QImage gradient(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y)
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 95, y * 255 / 63, 128));
    QImage translucent = gradient.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < translucent.height(); ++y)
        for (int x = 0; x < translucent.width() / 2; ++x)
            translucent.setPixel(x, y, (translucent.pixel(x, y) & 0x00ffffff) | 0x80000000);
    for (const QImage& picture : {gradient, translucent}) {
        const QByteArray file = testing::heicBytes(picture, 1, 95);
        const QImage decoded = HeicImageReader(view(file)).readScaled(picture.size());
        ASSERT_EQ(decoded.size(), picture.size());
        EXPECT_LE(largestDifference(decoded, decodedByLibheif(file)), 3) << picture.hasAlphaChannel();
    }
}

} // namespace
} // namespace quorvel
