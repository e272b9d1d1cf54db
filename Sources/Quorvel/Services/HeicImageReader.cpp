#include "Services/HeicImageReader.h"

#include "Services/HeifBoxes.h"

#include <libheif/heif.h>

namespace quorvel {
namespace {

bool succeeded(const heif_error& error) {
    return error.code == heif_error_Ok;
}

struct DecodingOptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

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

QImage HeicImageReader::read() const {
    if (!handle_)
        return {};
    std::unique_ptr<heif_decoding_options, DecodingOptionsDeleter> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    if (!succeeded(heif_decode_image(handle_.get(), &decoded, heif_colorspace_RGB,
                                     heif_chroma_interleaved_RGBA, options.get())))
        return {};
    int stride = 0;
    const std::uint8_t* pixels = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_primary_width(decoded);
    const int height = heif_image_get_primary_height(decoded);
    if (pixels == nullptr || width <= 0 || height <= 0) {
        heif_image_release(decoded);
        return {};
    }
    const bool hasAlpha = heif_image_handle_has_alpha_channel(handle_.get()) != 0;
    // The image keeps libheif's pixels and releases them with itself: no copy of a large picture.
    QImage image(
        pixels, width, height, stride, hasAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888,
        [](void* image) { heif_image_release(static_cast<heif_image*>(image)); }, decoded);
    return image;
}

} // namespace quorvel
