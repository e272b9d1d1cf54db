#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

namespace quorvel {

// Scales a picture down by area averaging while its pixels arrive a row, or part of a row, at a time and
// in any order (an interlaced PNG sends every row several times), so that only the small result is
// ever held, never the whole picture. Every source pixel must arrive exactly once.
class ImageDownscaler {
public:
    // `target` is at most `source` each way and at least 1 x 1.
    ImageDownscaler(QSize source, QSize target);

    QSize targetSize() const { return target_; }

    // `count` pixels of source row `y`, at columns x0, x0 + step, …: RGBA samples with straight alpha.
    void addSpan(int y, int x0, int step, const std::uint8_t* rgba, int count);
    void addSpan(int y, int x0, int step, const std::uint16_t* rgba, int count);

    // The scaled picture, premultiplied.
    QImage result() const;

private:
    // Where one source pixel lands along an axis: its share of target pixel `first` and of the next.
    struct Share {
        int first = 0;
        float firstWeight = 0;
        float secondWeight = 0;
    };
    static std::vector<Share> shares(int source, int target);

    template <typename Sample>
    void add(int y, int x0, int step, const Sample* rgba, int count, float maximum);

    QSize target_;
    std::vector<Share> columns_;
    std::vector<Share> rows_;
    std::vector<float> sums_; // premultiplied RGBA of every target pixel, 0 to 1
    std::vector<float> row_;  // one target row, for the span being added
};

} // namespace quorvel
