#include "Services/YCbCrRows.h"

#include "Services/ImageDownscaler.h"

#include <algorithm>

namespace quorvel {
namespace {

// Luma weights of the matrices that differ from BT.601.
struct Weights {
    float red;
    float blue;
};

Weights weights(int matrix) {
    switch (matrix) {
    case 1: // BT.709
        return {0.2126f, 0.0722f};
    case 9:
    case 10: // BT.2020
        return {0.2627f, 0.0593f};
    case 4: // FCC
        return {0.30f, 0.11f};
    case 7: // SMPTE 240M
        return {0.212f, 0.087f};
    default: // BT.601 and everything unspecified
        return {0.299f, 0.114f};
    }
}

float sample(const YCbCrRows::Plane& plane, int x, int y) {
    const std::uint8_t* line = plane.data + static_cast<std::ptrdiff_t>(y) * plane.stride;
    if (plane.bits <= 8)
        return line[x];
    return reinterpret_cast<const std::uint16_t*>(line)[x];
}

std::uint16_t toSample(float unit) {
    return static_cast<std::uint16_t>(std::clamp(unit, 0.0f, 1.0f) * 65535.0f + 0.5f);
}

} // namespace

void YCbCrRows::addTo(ImageDownscaler& scaler) const {
    const Weights k = weights(matrix);
    const float lumaMaximum = static_cast<float>((1 << planes[0].bits) - 1);
    const float chromaMaximum = static_cast<float>((1 << planes[kind == Kind::grey ? 0 : 1].bits) - 1);
    const float alphaMaximum = static_cast<float>((1 << alpha.bits) - 1);
    // Limited range: luma 16-235 and chroma 16-240, scaled to the bit depth.
    const float lumaScale = static_cast<float>(1 << (planes[0].bits - 8));
    const float chromaScale = static_cast<float>(1 << (planes[kind == Kind::grey ? 0 : 1].bits - 8));
    std::vector<std::uint16_t> row(static_cast<std::size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float red = 0, green = 0, blue = 0;
            const float first = sample(planes[0], x, y);
            if (kind == Kind::rgb) {
                red = first / lumaMaximum;
                green = sample(planes[1], x, y) / chromaMaximum;
                blue = sample(planes[2], x, y) / chromaMaximum;
            } else {
                const float luma =
                    fullRange ? first / lumaMaximum : (first - 16 * lumaScale) / (219 * lumaScale);
                float cb = 0, cr = 0;
                if (kind == Kind::yCbCr) {
                    const int cx = x >> chromaShiftX;
                    const int cy = y >> chromaShiftY;
                    const float middle = (chromaMaximum + 1) / 2;
                    const float range = fullRange ? chromaMaximum : 224 * chromaScale;
                    cb = (sample(planes[1], cx, cy) - middle) / range;
                    cr = (sample(planes[2], cx, cy) - middle) / range;
                }
                if (matrix == 0) { // GBR: Y is green, Cb blue, Cr red
                    green = luma;
                    blue = cb + 0.5f;
                    red = cr + 0.5f;
                } else {
                    red = luma + 2 * (1 - k.red) * cr;
                    blue = luma + 2 * (1 - k.blue) * cb;
                    green = (luma - k.red * red - k.blue * blue) / (1 - k.red - k.blue);
                }
            }
            std::uint16_t* pixel = row.data() + 4 * static_cast<std::size_t>(x);
            pixel[0] = toSample(red);
            pixel[1] = toSample(green);
            pixel[2] = toSample(blue);
            pixel[3] = alpha.data ? toSample(sample(alpha, x, y) / alphaMaximum) : 65535;
        }
        scaler.addSpan(y, 0, 1, row.data(), width);
    }
}

} // namespace quorvel
