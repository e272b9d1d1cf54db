#include "Services/TestImages.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTransform>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libheif/heif.h>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>
#include <zlib.h>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace quorvel::testing {
namespace {

std::uint32_t crc32(const QByteArray& bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char byte : bytes)
        c = table[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray bigEndian(std::uint32_t value, int width = 4) {
    QByteArray bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian(crc32(type + data));
}

bool near(QColor actual, QColor expected) {
    constexpr int tolerance = 60;
    return std::abs(actual.red() - expected.red()) < tolerance &&
           std::abs(actual.green() - expected.green()) < tolerance &&
           std::abs(actual.blue() - expected.blue()) < tolerance;
}

QImage turnedClockwise(const QImage& image) {
    return image.transformed(QTransform().rotate(90));
}

heif_error writeToByteArray(heif_context*, const void* data, size_t size, void* target) {
    static_cast<QByteArray*>(target)->append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

void require(const heif_error& error) {
    if (error.code != heif_error_Ok)
        throw std::runtime_error(error.message);
}

} // namespace

QImage quarteredImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const int halfWidth = size.width() / 2;
    const int halfHeight = size.height() / 2;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const bool right = x >= halfWidth;
            const bool bottom = y >= halfHeight;
            line[x] = bottom ? (right ? qRgb(255, 255, 255) : qRgb(0, 0, 255))
                             : (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
        }
    }
    return image;
}

bool isUpright(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    return near(image.pixelColor(w / 4, h / 4), Qt::red) &&
           near(image.pixelColor(3 * w / 4, h / 4), Qt::green) &&
           near(image.pixelColor(w / 4, 3 * h / 4), Qt::blue) &&
           near(image.pixelColor(3 * w / 4, 3 * h / 4), Qt::white);
}

QImage noiseImage(QSize size, int strength, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> offset(-strength / 2, strength / 2);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grey = std::clamp(128 + offset(random), 0, 255);
            line[x] = qRgb(grey, grey, grey);
        }
    }
    return image;
}

QImage storedForOrientation(const QImage& upright, int orientation) {
    switch (orientation) {
    case 2:
        return upright.mirrored(true, false);
    case 3:
        return upright.mirrored(true, true);
    case 4:
        return upright.mirrored(false, true);
    case 5:
        return turnedClockwise(upright).mirrored(true, false);
    case 6:
        return turnedClockwise(turnedClockwise(turnedClockwise(upright)));
    case 7:
        return turnedClockwise(upright).mirrored(false, true);
    case 8:
        return turnedClockwise(upright);
    default:
        return upright;
    }
}

QByteArray encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw std::runtime_error("cannot write " + std::string(format) + ": " +
                                 writer.errorString().toStdString());
    return bytes;
}

QByteArray paddedPng(const QByteArray& png, qsizetype totalBytes) {
    const QByteArray end = png.right(12); // the IEND chunk
    const QByteArray keyword("Comment\0", 8);
    const qsizetype textBytes = totalBytes - png.size() - 12 - keyword.size();
    if (textBytes < 0)
        throw std::invalid_argument("PNG already larger than the padded size");
    return png.left(png.size() - 12) + pngChunk("tEXt", keyword + QByteArray(textBytes, 'q')) + end;
}

QByteArray pngHeaderOnly(int width, int height) {
    const QByteArray header = bigEndian(static_cast<std::uint32_t>(width)) +
                              bigEndian(static_cast<std::uint32_t>(height)) +
                              QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", {}) +
           pngChunk("IEND", {});
}

QByteArray deepFlatPng(int side, QRgba64 colour) {
    const QByteArray header = bigEndian(static_cast<std::uint32_t>(side)) +
                              bigEndian(static_cast<std::uint32_t>(side)) +
                              QByteArray("\x10\x06\x00\x00\x00", 5);
    // Filter "Sub": the first pixel as it is, every other pixel its difference to the left, all zero.
    QByteArray row(1 + side * 8, '\0');
    row[0] = 1;
    const QByteArray first = bigEndian(colour.red(), 2) + bigEndian(colour.green(), 2) +
                             bigEndian(colour.blue(), 2) + bigEndian(colour.alpha(), 2);
    row.replace(1, 8, first);
    z_stream stream{};
    deflateInit(&stream, Z_DEFAULT_COMPRESSION);
    QByteArray compressed;
    std::vector<unsigned char> out(1 << 16);
    for (int y = 0; y < side; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
        int status = Z_OK;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            status = deflate(&stream, flush);
            compressed.append(reinterpret_cast<const char*>(out.data()),
                              static_cast<qsizetype>(out.size() - stream.avail_out));
        } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    }
    deflateEnd(&stream);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", compressed) +
           pngChunk("IEND", {});
}

QByteArray gifBytes() {
    static const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                                        0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04,
                                        0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01,
                                        0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};
    return QByteArray(reinterpret_cast<const char*>(gif), sizeof gif);
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    // "Exif\0\0", a big-endian TIFF header, one IFD entry: Orientation (0x0112), SHORT, count 1.
    const QByteArray tiff =
        QByteArray("MM\0\x2a", 4) + bigEndian(8) + bigEndian(1, 2) + bigEndian(0x0112, 2) + bigEndian(3, 2) +
        bigEndian(1) + bigEndian(static_cast<std::uint32_t>(orientation), 2) + bigEndian(0, 2) + bigEndian(0);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const QByteArray segment =
        QByteArray("\xff\xe1", 2) + bigEndian(static_cast<std::uint32_t>(payload.size() + 2), 2) + payload;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray paddedJpeg(const QByteArray& jpeg, qsizetype minimumBytes) {
    QByteArray padding;
    const QByteArray comment(65'000, 'c');
    while (jpeg.size() + padding.size() < minimumBytes)
        padding += QByteArray("\xff\xfe", 2) + bigEndian(static_cast<std::uint32_t>(comment.size() + 2), 2) +
                   comment;
    return jpeg.left(2) + padding + jpeg.mid(2);
}

QByteArray progressiveJpeg(const QImage& image, bool fullChroma, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGBX8888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &output, &size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 4;
    info.in_color_space = JCS_EXT_RGBX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (fullChroma)
        for (int c = 0; c < info.num_components; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(output), static_cast<qsizetype>(size));
    std::free(output);
    return bytes;
}

int jpegLuminanceQuantizer(const QByteArray& jpeg) {
    // Segments after the start marker: FF, marker, two length bytes that count themselves, payload.
    qsizetype offset = 2;
    while (offset + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[offset]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[offset + 1]);
        const int length = (static_cast<unsigned char>(jpeg[offset + 2]) << 8) |
                           static_cast<unsigned char>(jpeg[offset + 3]);
        if (marker == 0xDB && offset + 5 < jpeg.size())
            return static_cast<unsigned char>(jpeg[offset + 5]); // after the precision and table id byte
        offset += 2 + length;
    }
    return -1;
}

QByteArray heicBytes(const QImage& stored, int orientation, int quality) {
    const bool alpha = stored.hasAlphaChannel();
    const QImage rgb = stored.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int channels = alpha ? 4 : 3;
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                              heif_context_free);
    heif_encoder* encoderPointer = nullptr;
    require(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoderPointer));
    const std::unique_ptr<heif_encoder, decltype(&heif_encoder_release)> encoder(encoderPointer,
                                                                                 heif_encoder_release);
    require(heif_encoder_set_lossy_quality(encoder.get(), quality));
    heif_encoder_set_parameter(encoder.get(), "preset", "ultrafast");

    heif_image* imagePointer = nullptr;
    require(heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                              &imagePointer));
    const std::unique_ptr<heif_image, decltype(&heif_image_release)> image(imagePointer, heif_image_release);
    require(heif_image_add_plane(image.get(), heif_channel_interleaved, rgb.width(), rgb.height(), 8));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + y * stride, rgb.constScanLine(y),
                    static_cast<std::size_t>(rgb.width()) * channels);

    const std::unique_ptr<heif_encoding_options, decltype(&heif_encoding_options_free)> options(
        heif_encoding_options_alloc(), heif_encoding_options_free);
    options->image_orientation = static_cast<heif_orientation>(orientation);
    require(heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(), nullptr));
    QByteArray bytes;
    heif_writer writer{1, writeToByteArray};
    require(heif_context_write(context.get(), &writer, &bytes));
    return bytes;
}

QByteArray paddedHeic(const QByteArray& heic, qsizetype totalBytes) {
    const qsizetype boxBytes = totalBytes - heic.size();
    if (boxBytes < 8)
        throw std::invalid_argument("HEIC already too large for the padded size");
    return heic + bigEndian(static_cast<std::uint32_t>(boxBytes)) + "free" + QByteArray(boxBytes - 8, '\0');
}

} // namespace quorvel::testing
