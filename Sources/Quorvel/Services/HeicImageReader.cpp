#include "Services/HeicImageReader.h"

#include "Services/HeifBoxes.h"
#include "Services/HevcDecoder.h"
#include "Services/ImageDownscaler.h"
#include "Services/YCbCrRows.h"

#include <QTransform>
#include <libheif/heif.h>
#include <optional>

namespace quorvel {
namespace {

bool succeeded(const heif_error& error) {
    return error.code == heif_error_Ok;
}

struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};

YCbCrRows::Plane plane(const heif_image* image, heif_channel channel) {
    YCbCrRows::Plane plane;
    int stride = 0;
    plane.data = heif_image_get_plane_readonly(image, channel, &stride);
    plane.stride = stride;
    plane.bits = heif_image_get_bits_per_pixel_range(image, channel);
    return plane;
}

// The colour conversion the file asks for; BT.601 at full range, libheif's own default, otherwise.
void takeColourProfile(const heif_image* image, const heif_image_handle* handle, YCbCrRows& rows) {
    heif_color_profile_nclx* profile = nullptr;
    if ((image == nullptr || !succeeded(heif_image_get_nclx_color_profile(image, &profile))) &&
        !succeeded(heif_image_handle_get_nclx_color_profile(handle, &profile)))
        return;
    rows.matrix = static_cast<int>(profile->matrix_coefficients);
    rows.fullRange = profile->full_range_flag != 0;
    heif_nclx_color_profile_free(profile);
}

std::optional<YCbCrRows> planes(const heif_image* image, const heif_image_handle* handle) {
    YCbCrRows rows;
    rows.width = heif_image_get_primary_width(image);
    rows.height = heif_image_get_primary_height(image);
    const heif_chroma chroma = heif_image_get_chroma_format(image);
    switch (heif_image_get_colorspace(image)) {
    case heif_colorspace_YCbCr:
        if (chroma != heif_chroma_420 && chroma != heif_chroma_422 && chroma != heif_chroma_444)
            return std::nullopt;
        rows.kind = YCbCrRows::Kind::yCbCr;
        rows.chromaShiftX = chroma == heif_chroma_444 ? 0 : 1;
        rows.chromaShiftY = chroma == heif_chroma_420 ? 1 : 0;
        rows.planes[0] = plane(image, heif_channel_Y);
        rows.planes[1] = plane(image, heif_channel_Cb);
        rows.planes[2] = plane(image, heif_channel_Cr);
        break;
    case heif_colorspace_RGB:
        if (chroma != heif_chroma_444)
            return std::nullopt;
        rows.kind = YCbCrRows::Kind::rgb;
        rows.planes[0] = plane(image, heif_channel_R);
        rows.planes[1] = plane(image, heif_channel_G);
        rows.planes[2] = plane(image, heif_channel_B);
        break;
    case heif_colorspace_monochrome:
        rows.kind = YCbCrRows::Kind::grey;
        rows.planes[0] = plane(image, heif_channel_Y);
        break;
    default:
        return std::nullopt;
    }
    const int used = rows.kind == YCbCrRows::Kind::grey ? 1 : 3;
    for (int i = 0; i < used; ++i)
        if (rows.planes[i].data == nullptr || rows.planes[i].bits < 1 || rows.planes[i].bits > 16)
            return std::nullopt;
    if (heif_image_has_channel(image, heif_channel_Alpha))
        rows.alpha = plane(image, heif_channel_Alpha);
    if (rows.width <= 0 || rows.height <= 0)
        return std::nullopt;
    takeColourProfile(image, handle, rows);
    return rows;
}

} // namespace

void HeicImageReader::ContextDeleter::operator()(heif_context* context) const {
    heif_context_free(context);
}

void HeicImageReader::HandleDeleter::operator()(heif_image_handle* handle) const {
    heif_image_handle_release(handle);
}

bool HeicImageReader::isHeic(std::string_view bytes) {
    if (bytes.size() < 12)
        return false;
    const auto brand = heif_read_main_brand(reinterpret_cast<const std::uint8_t*>(bytes.data()), 12);
    return brand == heif_fourcc_to_brand("heic") || brand == heif_fourcc_to_brand("heix");
}

HeicImageReader::HeicImageReader(std::string_view bytes) : bytes_(bytes), context_(heif_context_alloc()) {
    if (!context_ || !succeeded(heif_context_read_from_memory_without_copy(context_.get(), bytes.data(),
                                                                           bytes.size(), nullptr)))
        return;
    heif_image_handle* handle = nullptr;
    if (succeeded(heif_context_get_primary_image_handle(context_.get(), &handle)))
        handle_.reset(handle);
}

HeicImageReader::~HeicImageReader() = default;

QSize HeicImageReader::size() const {
    if (!handle_)
        return {};
    return {heif_image_handle_get_width(handle_.get()), heif_image_handle_get_height(handle_.get())};
}

int HeicImageReader::orientation() const {
    return HeifBoxes::primaryImageOrientation(bytes_);
}

namespace {

// The stored picture turned upright by its EXIF-numbered orientation.
QImage upright(const QImage& stored, int orientation) {
    const QTransform clockwise = QTransform().rotate(90);
    const QTransform anticlockwise = QTransform().rotate(270);
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return stored.mirrored(true, false).transformed(anticlockwise);
    case 6:
        return stored.transformed(clockwise);
    case 7:
        return stored.mirrored(false, true).transformed(anticlockwise);
    case 8:
        return stored.transformed(anticlockwise);
    default:
        return stored;
    }
}

} // namespace

// A single coded picture, neither cropped nor with transparency, goes straight to the HEVC decoder: the
// way through libheif would copy its full-size planes once more.
std::optional<HeifBoxes::CodedImage> HeicImageReader::singleCodedPicture() const {
    if (heif_image_handle_has_alpha_channel(handle_.get()) != 0)
        return std::nullopt;
    auto coded = HeifBoxes::primaryCodedImage(bytes_);
    if (!coded || coded->type != "hvc1" || coded->configuration.empty())
        return std::nullopt;
    QSize stored(heif_image_handle_get_ispe_width(handle_.get()),
                 heif_image_handle_get_ispe_height(handle_.get()));
    if (orientation() >= 5)
        stored.transpose();
    if (stored != size())
        return std::nullopt;
    return coded;
}

QImage HeicImageReader::readCoded(const HeifBoxes::CodedImage& coded, QSize target) const {
    const int turn = orientation();
    const QSize storedTarget = turn >= 5 ? target.transposed() : target;
    QImage result;
    const bool decoded = HevcDecoder::decode(coded.configuration, coded.data, [&](YCbCrRows rows) {
        takeColourProfile(nullptr, handle_.get(), rows);
        const QSize stored(rows.width, rows.height);
        ImageDownscaler scaler(stored, storedTarget.boundedTo(stored));
        rows.addTo(scaler);
        result = upright(scaler.result(), turn);
    });
    return decoded ? result : QImage();
}

QImage HeicImageReader::readScaled(QSize target) const {
    if (!handle_ || target.isEmpty())
        return {};
    if (const auto coded = singleCodedPicture())
        return readCoded(*coded, target);
    // The decoder's own colour space and subsampling: libheif still turns and crops the picture.
    heif_image* decoded = nullptr;
    if (!succeeded(heif_decode_image(handle_.get(), &decoded, heif_colorspace_undefined,
                                     heif_chroma_undefined, nullptr)))
        return {};
    const std::unique_ptr<heif_image, ImageDeleter> image(decoded);
    const auto rows = planes(image.get(), handle_.get());
    if (!rows)
        return {};
    ImageDownscaler scaler(QSize(rows->width, rows->height),
                           target.boundedTo(QSize(rows->width, rows->height)));
    rows->addTo(scaler);
    return scaler.result();
}

} // namespace quorvel
