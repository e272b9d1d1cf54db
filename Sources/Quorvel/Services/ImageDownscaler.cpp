#include "Services/ImageDownscaler.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

ImageDownscaler::ImageDownscaler(QSize source, QSize target)
    : target_(target), columns_(shares(source.width(), target.width())),
      rows_(shares(source.height(), target.height())),
      sums_(static_cast<std::size_t>(target.width()) * static_cast<std::size_t>(target.height()) * 4, 0.0f),
      row_(static_cast<std::size_t>(target.width()) * 4, 0.0f) {}

// Source pixel i covers [i * s, (i + 1) * s) in target pixels, s = target / source <= 1: at most two
// target pixels, and every target pixel gets shares adding up to 1.
std::vector<ImageDownscaler::Share> ImageDownscaler::shares(int source, int target) {
    std::vector<Share> result(static_cast<std::size_t>(std::max(source, 0)));
    const double scale = static_cast<double>(target) / static_cast<double>(std::max(source, 1));
    for (int i = 0; i < source; ++i) {
        const double start = i * scale;
        const double end = (i + 1) * scale;
        Share& share = result[static_cast<std::size_t>(i)];
        share.first = std::min(static_cast<int>(std::floor(start)), target - 1);
        const double boundary = share.first + 1;
        if (end > boundary && share.first + 1 < target) {
            share.firstWeight = static_cast<float>(boundary - start);
            share.secondWeight = static_cast<float>(end - boundary);
        } else {
            share.firstWeight = static_cast<float>(end - start);
        }
    }
    return result;
}

void ImageDownscaler::addSpan(int y, int x0, int step, const std::uint8_t* rgba, int count) {
    add(y, x0, step, rgba, count, 255.0f);
}

void ImageDownscaler::addSpan(int y, int x0, int step, const std::uint16_t* rgba, int count) {
    add(y, x0, step, rgba, count, 65535.0f);
}

template <typename Sample>
void ImageDownscaler::add(int y, int x0, int step, const Sample* rgba, int count, float maximum) {
    if (y < 0 || y >= static_cast<int>(rows_.size()) || count <= 0)
        return;
    std::fill(row_.begin(), row_.end(), 0.0f);
    const float unit = 1.0f / maximum;
    for (int i = 0, x = x0; i < count && x < static_cast<int>(columns_.size()); ++i, x += step) {
        const Sample* pixel = rgba + 4 * static_cast<std::size_t>(i);
        const float alpha = static_cast<float>(pixel[3]) * unit;
        const float value[4] = {static_cast<float>(pixel[0]) * unit * alpha,
                                static_cast<float>(pixel[1]) * unit * alpha,
                                static_cast<float>(pixel[2]) * unit * alpha, alpha};
        const Share& share = columns_[static_cast<std::size_t>(x)];
        float* first = row_.data() + 4 * static_cast<std::size_t>(share.first);
        for (int c = 0; c < 4; ++c)
            first[c] += share.firstWeight * value[c];
        if (share.secondWeight > 0)
            for (int c = 0; c < 4; ++c)
                first[4 + c] += share.secondWeight * value[c];
    }
    const Share& share = rows_[static_cast<std::size_t>(y)];
    const std::size_t width = row_.size();
    float* first = sums_.data() + static_cast<std::size_t>(share.first) * width;
    for (std::size_t i = 0; i < width; ++i)
        first[i] += share.firstWeight * row_[i];
    if (share.secondWeight > 0)
        for (std::size_t i = 0; i < width; ++i)
            first[width + i] += share.secondWeight * row_[i];
}

QImage ImageDownscaler::result() const {
    QImage image(target_, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return image;
    const std::size_t width = static_cast<std::size_t>(target_.width()) * 4;
    for (int y = 0; y < target_.height(); ++y) {
        std::uint8_t* line = image.scanLine(y);
        const float* sums = sums_.data() + static_cast<std::size_t>(y) * width;
        for (std::size_t i = 0; i < width; i += 4) {
            const long alpha = std::clamp(std::lround(sums[i + 3] * 255.0f), 0L, 255L);
            for (std::size_t c = 0; c < 3; ++c) // premultiplied: no colour above its alpha
                line[i + c] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(sums[i + c] * 255.0f), 0L, alpha));
            line[i + 3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return image;
}

} // namespace quorvel
