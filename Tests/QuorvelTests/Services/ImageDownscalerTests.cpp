#include "Services/ImageDownscaler.h"

#include <QColor>
#include <gtest/gtest.h>
#include <vector>

namespace quorvel {
namespace {

using Pixel = std::array<std::uint8_t, 4>;

// Feeds a picture given as rows of RGBA pixels, row by row.
QImage scaled(const std::vector<std::vector<Pixel>>& rows, QSize target) {
    const QSize source(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    ImageDownscaler scaler(source, target);
    for (int y = 0; y < source.height(); ++y)
        scaler.addSpan(y, 0, 1, rows[static_cast<std::size_t>(y)][0].data(), source.width());
    return scaler.result();
}

QColor colourAt(const QImage& image, int x, int y) {
    return image.convertToFormat(QImage::Format_ARGB32).pixelColor(x, y);
}

TEST(ImageDownscaler, AveragesTheAreaEachTargetPixelCovers) {
    const Pixel black{0, 0, 0, 255}, white{255, 255, 255, 255}, red{255, 0, 0, 255};
    // 4 x 2 into 2 x 1: each target pixel is the mean of a 2 x 2 block.
    const QImage halves = scaled({{black, white, red, red}, {white, black, red, red}}, QSize(2, 1));
    EXPECT_EQ(colourAt(halves, 0, 0), QColor(128, 128, 128));
    EXPECT_EQ(colourAt(halves, 1, 0), QColor(255, 0, 0));

    // 3 into 2: the middle source pixel is shared half and half.
    const QImage thirds = scaled({{black, white, white}}, QSize(2, 1));
    EXPECT_EQ(colourAt(thirds, 0, 0).red(), 85); // (2 * 0 + 1 * 255) / 3
    EXPECT_EQ(colourAt(thirds, 1, 0).red(), 255);

    // The same size is the same picture.
    EXPECT_EQ(colourAt(scaled({{red, white}}, QSize(2, 1)), 1, 0), QColor(255, 255, 255));
}

TEST(ImageDownscaler, TransparentPixelsLendNoColour) {
    const Pixel clearBlack{0, 0, 0, 0}, red{255, 0, 0, 255};
    const QColor mixed = colourAt(scaled({{clearBlack, red}}, QSize(1, 1)), 0, 0);
    EXPECT_EQ(mixed.alpha(), 128);
    EXPECT_EQ(mixed.red(), 255) << "half transparent red, not dark red";
    EXPECT_EQ(mixed.green(), 0);
}

// Interlaced rows arrive pass by pass, each a few columns apart: the result is the same.
TEST(ImageDownscaler, SpansInAnyOrderGiveThePictureOfRowsInOrder) {
    std::vector<std::vector<Pixel>> rows(7, std::vector<Pixel>(9));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            rows[y][x] = {static_cast<std::uint8_t>(x * 28), static_cast<std::uint8_t>(y * 40),
                          static_cast<std::uint8_t>((x * y) % 256), static_cast<std::uint8_t>(100 + x * 10)};
    const QSize target(4, 3);
    ImageDownscaler scattered(QSize(9, 7), target);
    for (int y = 6; y >= 0; --y)
        for (int x0 = 0; x0 < 3; ++x0) {
            std::vector<std::uint16_t> span;
            for (int x = x0; x < 9; x += 3)
                for (std::uint8_t sample : rows[y][x])
                    span.push_back(static_cast<std::uint16_t>(sample * 257));
            scattered.addSpan(y, x0, 3, span.data(), static_cast<int>(span.size() / 4));
        }
    EXPECT_EQ(scattered.result(), scaled(rows, target));
}

} // namespace
} // namespace quorvel
