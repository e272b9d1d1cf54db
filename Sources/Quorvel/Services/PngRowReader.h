#pragma once

#include <QImage>
#include <QSize>
#include <string_view>

namespace quorvel::PngRowReader {

// Decodes the PNG in `bytes` a row at a time straight into a picture of `target` size (area averaging,
// never larger than the PNG), so that a large or deep picture never needs its full size in memory.
// Every bit depth, colour type and interlacing is read; ancillary chunks other than transparency are
// skipped. A null image when the PNG cannot be decoded.
QImage decodeScaled(std::string_view bytes, QSize target);

} // namespace quorvel::PngRowReader
