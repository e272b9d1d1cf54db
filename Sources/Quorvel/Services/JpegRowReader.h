#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string_view>

namespace quorvel::JpegRowReader {

// The bytes of DCT coefficients the JPEG decoder holds at once for a progressive JPEG: every block of
// the whole picture, at any output scale (a 12,000-pixel square without chroma subsampling needs
// 864 MB). 0 for a sequential JPEG, which needs none, and for what cannot be read.
std::uint64_t coefficientBytes(std::string_view bytes);

// Decodes the JPEG at the smallest DCT scale that still covers `target`, then
// scales it to `target` by area a row at a time, and turns it by `transform` (as Qt's reader reports
// the EXIF orientation). A progressive JPEG's coefficients are kept in an unlinked temporary file and
// seen a few block rows at a time, so that they never have to fit in memory. A null image when the JPEG
// cannot be decoded.
QImage decodeScaled(std::string_view bytes, QSize target, int transform);

} // namespace quorvel::JpegRowReader
