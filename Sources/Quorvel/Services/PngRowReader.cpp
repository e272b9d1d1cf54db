#include "Services/PngRowReader.h"

#include "Services/ImageDownscaler.h"

#include <QtEndian>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <optional>
#include <png.h>
#include <vector>

namespace quorvel::PngRowReader {
namespace {

struct Input {
    std::string_view bytes;
    std::size_t offset = 0;
};

void readFromMemory(png_structp png, png_bytep data, png_size_t length) {
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    if (input->bytes.size() - input->offset < length)
        png_error(png, "truncated");
    std::memcpy(data, input->bytes.data() + input->offset, length);
    input->offset += length;
}

void ignoreWarning(png_structp, png_const_charp) {}

// Quietly back to decode(): a file that cannot be read is an ordinary outcome here.
[[noreturn]] void stop(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Chunks that say nothing about the pixels; some of them are compressed and could be made to inflate
// to far more than the file holds.
constexpr char skippedChunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0"
                                 "sPLT\0sRGB\0tEXt\0tIME\0zTXt";

struct Decoding {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Input input;
    QSize target;
    std::optional<ImageDownscaler> scaler;
    std::vector<png_byte> row;
    bool deep = false; // 16 bits per sample
};

// The rows of one Adam7 pass (or of the whole picture when it is not interlaced) into the scaler.
void addRows(Decoding& d, int firstRow, int rowStep, int firstColumn, int columnStep, int columns) {
    const int height = static_cast<int>(png_get_image_height(d.png, d.info));
    for (int y = firstRow; y < height; y += rowStep) {
        png_read_row(d.png, d.row.data(), nullptr);
        if (d.deep) {
            auto* samples = reinterpret_cast<std::uint16_t*>(d.row.data());
            d.scaler->addSpan(y, firstColumn, columnStep, samples, columns);
        } else {
            d.scaler->addSpan(y, firstColumn, columnStep, d.row.data(), columns);
        }
    }
}

void setUpTransforms(Decoding& d) {
    const int colourType = png_get_color_type(d.png, d.info);
    d.deep = png_get_bit_depth(d.png, d.info) == 16;
    png_set_expand(d.png); // palette to RGB, small grey to 8 bits, transparency to alpha
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(d.png);
    png_set_add_alpha(d.png, d.deep ? 0xffff : 0xff, PNG_FILLER_AFTER);
    if (d.deep && QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        png_set_swap(d.png);
    png_read_update_info(d.png, d.info);
}

// Everything that libpng may leave by longjmp; it owns nothing that needs destroying.
bool decode(Decoding& d) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    png_set_read_fn(d.png, &d.input, readFromMemory);
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER,
                                reinterpret_cast<png_const_bytep>(skippedChunks),
                                static_cast<int>(sizeof skippedChunks / 5));
    png_read_info(d.png, d.info);
    const QSize size(static_cast<int>(png_get_image_width(d.png, d.info)),
                     static_cast<int>(png_get_image_height(d.png, d.info)));
    setUpTransforms(d);
    d.scaler.emplace(size, d.target.boundedTo(size));
    d.row.resize(png_get_rowbytes(d.png, d.info));
    if (png_get_interlace_type(d.png, d.info) == PNG_INTERLACE_NONE) {
        addRows(d, 0, 1, 0, 1, size.width());
        return true;
    }
    // Without libpng's interlace handling each pass arrives as a small picture of its own.
    for (int pass = 0; pass < PNG_INTERLACE_ADAM7_PASSES; ++pass) {
        const int columns = static_cast<int>(PNG_PASS_COLS(static_cast<png_uint_32>(size.width()), pass));
        const int rows = static_cast<int>(PNG_PASS_ROWS(static_cast<png_uint_32>(size.height()), pass));
        if (columns == 0 || rows == 0)
            continue;
        addRows(d, static_cast<int>(PNG_PASS_START_ROW(pass)), 1 << PNG_PASS_ROW_SHIFT(pass),
                static_cast<int>(PNG_PASS_START_COL(pass)), 1 << PNG_PASS_COL_SHIFT(pass), columns);
    }
    return true;
}

} // namespace

QImage decodeScaled(std::string_view bytes, QSize target) {
    if (target.isEmpty())
        return {};
    Decoding d;
    d.input.bytes = bytes;
    d.target = target;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stop, ignoreWarning);
    if (d.png == nullptr)
        return {};
    d.info = png_create_info_struct(d.png);
    const bool decoded = d.info != nullptr && decode(d);
    png_destroy_read_struct(&d.png, d.info ? &d.info : nullptr, nullptr);
    return decoded ? d.scaler->result() : QImage();
}

} // namespace quorvel::PngRowReader
