#include "Services/HevcDecoder.h"

#include <libde265/de265.h>
#include <memory>

namespace quorvel::HevcDecoder {
namespace {

struct DecoderDeleter {
    void operator()(de265_decoder_context* decoder) const { de265_free_decoder(decoder); }
};

std::uint64_t bigEndian(std::string_view bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

bool push(de265_decoder_context* decoder, std::string_view nal) {
    return de265_isOK(de265_push_NAL(decoder, nal.data(), static_cast<int>(nal.size()), 0, nullptr)) != 0;
}

// The parameter sets stored in 'hvcC'; its NAL length size through `lengthSize`.
bool pushConfiguration(de265_decoder_context* decoder, std::string_view hvcC, std::size_t& lengthSize) {
    if (hvcC.size() < 23)
        return false;
    lengthSize = (static_cast<unsigned char>(hvcC[21]) & 3) + 1;
    const std::size_t arrays = static_cast<unsigned char>(hvcC[22]);
    std::size_t offset = 23;
    for (std::size_t a = 0; a < arrays; ++a) {
        if (hvcC.size() - offset < 3)
            return false;
        const std::size_t units = bigEndian(hvcC, offset + 1, 2);
        offset += 3;
        for (std::size_t u = 0; u < units; ++u) {
            if (hvcC.size() - offset < 2)
                return false;
            const std::size_t length = bigEndian(hvcC, offset, 2);
            offset += 2;
            if (hvcC.size() - offset < length || !push(decoder, hvcC.substr(offset, length)))
                return false;
            offset += length;
        }
    }
    return true;
}

bool pushData(de265_decoder_context* decoder, std::string_view data, std::size_t lengthSize) {
    std::size_t offset = 0;
    while (offset < data.size()) {
        if (data.size() - offset < lengthSize)
            return false;
        const std::uint64_t length = bigEndian(data, offset, lengthSize);
        offset += lengthSize;
        if (data.size() - offset < length || !push(decoder, data.substr(offset, length)))
            return false;
        offset += length;
    }
    return true;
}

YCbCrRows::Plane plane(const de265_image* image, int channel) {
    YCbCrRows::Plane plane;
    int stride = 0;
    plane.data = de265_get_image_plane(image, channel, &stride);
    plane.stride = stride;
    plane.bits = de265_get_bits_per_pixel(image, channel);
    return plane;
}

} // namespace

bool decode(std::string_view configuration, std::string_view data,
            const std::function<void(YCbCrRows)>& use) {
    const std::unique_ptr<de265_decoder_context, DecoderDeleter> decoder(de265_new_decoder());
    std::size_t lengthSize = 4;
    if (!decoder || !pushConfiguration(decoder.get(), configuration, lengthSize) ||
        !pushData(decoder.get(), data, lengthSize) || !de265_isOK(de265_flush_data(decoder.get())))
        return false;
    const de265_image* image = nullptr;
    int more = 1;
    while (image == nullptr && more != 0) {
        more = 0;
        if (!de265_isOK(de265_decode(decoder.get(), &more)))
            return false;
        image = de265_get_next_picture(decoder.get());
    }
    if (image == nullptr)
        return false;
    YCbCrRows rows;
    rows.width = de265_get_image_width(image, 0);
    rows.height = de265_get_image_height(image, 0);
    const de265_chroma chroma = de265_get_chroma_format(image);
    rows.kind = chroma == de265_chroma_mono ? YCbCrRows::Kind::grey : YCbCrRows::Kind::yCbCr;
    rows.chromaShiftX = chroma == de265_chroma_420 || chroma == de265_chroma_422 ? 1 : 0;
    rows.chromaShiftY = chroma == de265_chroma_420 ? 1 : 0;
    const int planes = chroma == de265_chroma_mono ? 1 : 3;
    for (int c = 0; c < planes; ++c) {
        rows.planes[c] = plane(image, c);
        if (rows.planes[c].data == nullptr || rows.planes[c].bits < 1 || rows.planes[c].bits > 16)
            return false;
    }
    if (rows.width <= 0 || rows.height <= 0)
        return false;
    use(rows);
    de265_release_next_picture(decoder.get());
    return true;
}

} // namespace quorvel::HevcDecoder
