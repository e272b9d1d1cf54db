#include "Services/PngRowReader.h"
#include "Services/TestImages.h"

#include <QBuffer>
#include <QImageWriter>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
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

// A figure of this process's /proc/self/status, in kilobytes.
long statusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// The file that froze the window: 1.1 MB of PNG that declares 12,000 x 12,000 pixels at 16 bits per
// channel, 1.15 GB once decoded. Read a row at a time, it never needs that memory.
TEST(PngRowReader, ALargeDeepPictureInASmallFileIsReadInLittleMemory) {
    const QByteArray file = testing::deepFlatPng(12'000, qRgba64(0x3a3a, 0x6c6c, 0xb4b4, 0xffff));
    ASSERT_LT(file.size(), 1'300'000);
    struct Outcome {
        QRgb colour = 0;
        long addedKilobytes = -1;
    };
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // The child starts with every page of the test process: count only what decoding adds to it.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = statusKilobytes("VmRSS");
        const QImage preview = PngRowReader::decodeScaled(view(file), QSize(90, 90));
        Outcome outcome{preview.size() == QSize(90, 90) ? preview.pixel(45, 45) : 0,
                        statusKilobytes("VmHWM") - before};
        ::_exit(::write(channel[1], &outcome, sizeof outcome) == sizeof outcome ? 0 : 1);
    }
    ::close(channel[1]);
    Outcome outcome;
    EXPECT_EQ(::read(channel[0], &outcome, sizeof outcome), static_cast<ssize_t>(sizeof outcome));
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(outcome.colour, qRgba(0x3a, 0x6c, 0xb4, 0xff));
    EXPECT_GE(outcome.addedKilobytes, 0);
    EXPECT_LT(outcome.addedKilobytes / 1024, 600) << "MB at the peak";
}

} // namespace
} // namespace quorvel
