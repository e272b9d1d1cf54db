#include "Services/PngRowReader.h"
#include "Services/TestImages.h"

#include <QBuffer>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel {
namespace {

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray png(const QImage& image, bool interlaced = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setProgressiveScanWrite(interlaced);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

// Colours with some transparency, so that every channel and the alpha show.
QImage colourful(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgba((x * 37) % 256, (y * 53) % 256, (x * y) % 256, 255 - (x + y) % 3 * 40));
    return image;
}

// Every pixel as Qt's own reader gives it, straight alpha, 8 bits.
void expectSamePixels(const QImage& actual, const QByteArray& file) {
    QImage expected;
    ASSERT_TRUE(expected.loadFromData(file, "png"));
    ASSERT_EQ(actual.size(), expected.size());
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
            ASSERT_LE(std::abs(qAlpha(p) - qAlpha(q)), 1) << x << "," << y;
            if (qAlpha(q) == 0)
                continue; // colour under full transparency is moot
            ASSERT_LE(std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                          std::abs(qBlue(p) - qBlue(q)),
                      6)
                << x << "," << y;
        }
}

TEST(PngRowReader, ReadsEveryKindOfPngAsQtDoes) {
    const QImage picture = colourful(QSize(37, 23));
    const std::vector<std::pair<const char*, QImage>> kinds = {
        {"RGBA", picture},
        {"RGB", picture.convertToFormat(QImage::Format_RGB32)},
        {"grey", picture.convertToFormat(QImage::Format_Grayscale8)},
        {"grey, 16 bits", picture.convertToFormat(QImage::Format_Grayscale16)},
        {"RGBA, 16 bits", picture.convertToFormat(QImage::Format_RGBA64)},
        {"palette with transparency", picture.convertToFormat(QImage::Format_Indexed8)},
        {"one bit", picture.convertToFormat(QImage::Format_Mono)},
    };
    for (const auto& [name, image] : kinds)
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(name) + (interlaced ? ", interlaced" : ""));
            const QByteArray file = png(image, interlaced);
            expectSamePixels(PngRowReader::decodeScaled(view(file), image.size()), file);
        }
}

TEST(PngRowReader, ScalesAsItReadsAndNeverEnlarges) {
    const QImage picture = testing::quarteredImage(QSize(300, 200));
    for (const bool interlaced : {false, true}) {
        const QByteArray file = png(picture, interlaced);
        const QImage small = PngRowReader::decodeScaled(view(file), QSize(30, 20));
        EXPECT_EQ(small.size(), QSize(30, 20));
        EXPECT_TRUE(testing::isUpright(small));
        EXPECT_EQ(PngRowReader::decodeScaled(view(file), QSize(3000, 2000)).size(), QSize(300, 200));
    }
}

TEST(PngRowReader, ABrokenPngReadsAsNothing) {
    const QByteArray file = png(colourful(QSize(64, 64)));
    for (const QByteArray& broken : {file.left(file.size() / 2), file.left(40),
                                     testing::pngHeaderOnly(10, 10), QByteArray("not a png at all")})
        EXPECT_TRUE(PngRowReader::decodeScaled(view(broken), QSize(10, 10)).isNull());
    QByteArray corrupted = file;
    corrupted[corrupted.size() / 2] = static_cast<char>(corrupted[corrupted.size() / 2] ^ 0x55);
    EXPECT_TRUE(PngRowReader::decodeScaled(view(corrupted), QSize(10, 10)).isNull()) << "a bad checksum";
}

// The file that froze the window: 1.1 MB of PNG that declares 12,000 x 12,000 pixels at 16 bits per
// channel, 1.15 GB once decoded. Read a row at a time, it never needs that memory.
TEST(PngRowReader, ALargeDeepPictureInASmallFileIsReadInLittleMemory) {
    const QByteArray file = testing::deepFlatPng(12'000, qRgba64(0x3a3a, 0x6c6c, 0xb4b4, 0xffff));
    ASSERT_LT(file.size(), 1'300'000);
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const QImage preview = PngRowReader::decodeScaled(view(file), QSize(90, 90));
        const QRgb colour = preview.size() == QSize(90, 90) ? preview.pixel(45, 45) : 0;
        ::_exit(::write(channel[1], &colour, sizeof colour) == sizeof colour ? 0 : 1);
    }
    ::close(channel[1]);
    QRgb colour = 0;
    EXPECT_EQ(::read(channel[0], &colour, sizeof colour), static_cast<ssize_t>(sizeof colour));
    ::close(channel[0]);
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    EXPECT_EQ(colour, qRgba(0x3a, 0x6c, 0xb4, 0xff));
    EXPECT_LT(usage.ru_maxrss / 1024, 600) << "MB at the peak";
}

} // namespace
} // namespace quorvel
