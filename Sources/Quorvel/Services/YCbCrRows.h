#pragma once

#include <cstdint>
#include <vector>

namespace quorvel {

class ImageDownscaler;

// The planes of a decoded picture as a video decoder leaves them (YCbCr at any subsampling, planar
// RGB or grey, 8 to 16 bits), turned into RGBA a row at a time for an ImageDownscaler.
struct YCbCrRows {
    enum class Kind { yCbCr, rgb, grey };
    struct Plane {
        const std::uint8_t* data = nullptr;
        int stride = 0; // bytes
        int bits = 8;   // above 8, two bytes per sample
    };

    Kind kind = Kind::yCbCr;
    int width = 0;
    int height = 0;
    int chromaShiftX = 0; // 1 for 4:2:0 and 4:2:2
    int chromaShiftY = 0; // 1 for 4:2:0
    // Y, Cb, Cr; or R, G, B; or grey alone. Alpha is optional.
    Plane planes[3];
    Plane alpha;
    // Colour conversion (H.273 matrix coefficients; 6 is BT.601) and range.
    int matrix = 6;
    bool fullRange = true;

    // Sends every row into `scaler`, which expects width x height source pixels.
    void addTo(ImageDownscaler& scaler) const;
};

} // namespace quorvel
