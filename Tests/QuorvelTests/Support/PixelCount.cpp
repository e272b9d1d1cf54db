#include "Support/PixelCount.h"

namespace quorvel::testing {

int countPixels(const QImage& image, const std::function<bool(const QColor&)>& counts, QRect area) {
    if (area.isEmpty())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += counts(image.pixelColor(x, y));
    return count;
}

} // namespace quorvel::testing
