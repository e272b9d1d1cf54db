#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <functional>

namespace quorvel::testing {

// The pixels of `image` within `area` (the whole image when empty) whose colour `counts`.
int countPixels(const QImage& image, const std::function<bool(const QColor&)>& counts, QRect area = {});

// More than half covered.
inline bool isOpaque(const QColor& pixel) {
    return pixel.alpha() > 128;
}

} // namespace quorvel::testing
