#include "Services/JpegRowReader.h"

#include "Services/ImageDownscaler.h"

#include <QImageIOHandler>
#include <QTransform>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace quorvel::JpegRowReader {
namespace {

// One virtual block array of the decoder, kept in a file instead of memory.
struct FileBackedArray {
    JDIMENSION blocksPerRow = 0;
    JDIMENSION rows = 0;
    JDIMENSION maxAccess = 0;
    int descriptor = -1;
    void* window = MAP_FAILED;
    std::size_t windowLength = 0;
    std::size_t windowOffset = 0; // of the first row, past the page boundary the mapping starts at
    JDIMENSION windowFirstRow = 0;
    JDIMENSION windowRows = 0;
    std::unique_ptr<JBLOCKROW[]> rowPointers;
};

// At most one array per component.
constexpr std::size_t mostArrays = MAX_COMPONENTS;

struct Decoding {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf failure{};
    // The memory manager's own calls that the file-backed arrays stand in for.
    void (*realizeInMemory)(j_common_ptr) = nullptr;
    // Ours, not the decoder's pools, which it frees before the files are closed.
    std::vector<std::unique_ptr<FileBackedArray>> arrays;
    std::optional<ImageDownscaler> scaler;
    std::vector<JSAMPLE> row;
};

Decoding& decodingOf(j_common_ptr info) {
    return *static_cast<Decoding*>(info->client_data);
}

[[noreturn]] void fail(j_common_ptr info) {
    std::longjmp(decodingOf(info).failure, 1);
}

void stayQuiet(j_common_ptr) {}

std::size_t rowBytes(const FileBackedArray& array) {
    return static_cast<std::size_t>(array.blocksPerRow) * sizeof(JBLOCK);
}

jvirt_barray_ptr requestArray(j_common_ptr info, int, boolean, JDIMENSION blocksPerRow, JDIMENSION rows,
                              JDIMENSION maxAccess) {
    Decoding& decoding = decodingOf(info);
    // Nothing may throw through the decoder: the room is reserved, the allocation checked.
    auto* array = decoding.arrays.size() < mostArrays ? new (std::nothrow) FileBackedArray : nullptr;
    if (array == nullptr)
        fail(info);
    decoding.arrays.emplace_back(array);
    array->blocksPerRow = blocksPerRow;
    array->rows = rows;
    array->maxAccess = maxAccess;
    return reinterpret_cast<jvirt_barray_ptr>(array);
}

// A sparse file reads as zeros, as the decoder asks of new arrays.
void realizeArrays(j_common_ptr info) {
    Decoding& decoding = decodingOf(info);
    decoding.realizeInMemory(info);
    const std::string folder = std::filesystem::temp_directory_path().string();
    for (const auto& array : decoding.arrays) {
        if (array->descriptor >= 0)
            continue;
        array->descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        array->rowPointers.reset(new (std::nothrow) JBLOCKROW[array->maxAccess]);
        if (array->descriptor < 0 || !array->rowPointers ||
            ::ftruncate(array->descriptor, static_cast<off_t>(rowBytes(*array) * array->rows)) != 0)
            fail(info);
    }
}

void closeWindow(FileBackedArray& array) {
    if (array.window != MAP_FAILED)
        ::munmap(array.window, array.windowLength);
    array.window = MAP_FAILED;
}

// Block rows are mapped in this many bytes at a time, so that a pass over the picture maps each part once.
constexpr std::size_t windowBytes = 8 << 20;

// The rows asked for, mapped in with the rows after them; the rows seen before leave the process's
// memory for the file's.
JBLOCKARRAY accessArray(j_common_ptr info, jvirt_barray_ptr pointer, JDIMENSION start, JDIMENSION count,
                        boolean) {
    auto& array = *reinterpret_cast<FileBackedArray*>(pointer);
    if (count > array.maxAccess || start + count > array.rows || array.descriptor < 0 || !array.rowPointers)
        fail(info);
    if (array.window == MAP_FAILED || start < array.windowFirstRow ||
        start + count > array.windowFirstRow + array.windowRows) {
        closeWindow(array);
        const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t offset = static_cast<std::size_t>(start) * rowBytes(array);
        array.windowFirstRow = start;
        array.windowRows = std::min<JDIMENSION>(
            array.rows - start,
            std::max<JDIMENSION>(count, static_cast<JDIMENSION>(windowBytes / rowBytes(array))));
        array.windowOffset = offset - offset / page * page;
        array.windowLength = array.windowOffset + array.windowRows * rowBytes(array);
        array.window = ::mmap(nullptr, array.windowLength, PROT_READ | PROT_WRITE, MAP_SHARED,
                              array.descriptor, static_cast<off_t>(offset - array.windowOffset));
        if (array.window == MAP_FAILED)
            fail(info);
    }
    auto* first = static_cast<std::uint8_t*>(array.window) + array.windowOffset +
                  static_cast<std::size_t>(start - array.windowFirstRow) * rowBytes(array);
    for (JDIMENSION i = 0; i < count; ++i)
        array.rowPointers[i] = reinterpret_cast<JBLOCKROW>(first + i * rowBytes(array));
    return array.rowPointers.get();
}

void releaseArrays(Decoding& decoding) {
    for (const auto& array : decoding.arrays) {
        closeWindow(*array);
        if (array->descriptor >= 0)
            ::close(array->descriptor);
    }
    decoding.arrays.clear();
}

void useFileBackedArrays(Decoding& decoding) {
    jpeg_memory_mgr* memory = decoding.info.mem;
    decoding.realizeInMemory = memory->realize_virt_arrays;
    memory->request_virt_barray = requestArray;
    memory->realize_virt_arrays = realizeArrays;
    memory->access_virt_barray = accessArray;
}

// CMYK as Adobe writes it (inverted), to opaque RGB, as Qt's reader turns it.
void inksToRgb(std::vector<JSAMPLE>& row) {
    for (std::size_t i = 0; i < row.size(); i += 4) {
        const int k = row[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            row[i + c] = static_cast<JSAMPLE>(k * row[i + c] / 255);
        row[i + 3] = 255;
    }
}

// The smallest of libjpeg's scales n/8 whose picture still covers `target`.
unsigned scaleNumerator(const jpeg_decompress_struct& info, QSize target) {
    for (unsigned n = 1; n < 8; ++n)
        if ((info.image_width * n + 7) / 8 >= static_cast<unsigned>(target.width()) &&
            (info.image_height * n + 7) / 8 >= static_cast<unsigned>(target.height()))
            return n;
    return 8;
}

// Everything that libjpeg may leave by longjmp; it owns nothing that needs destroying.
bool readHeader(Decoding& d, std::string_view bytes) {
    if (setjmp(d.failure))
        return false;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    return jpeg_read_header(&d.info, TRUE) == JPEG_HEADER_OK;
}

bool decode(Decoding& d, QSize target) {
    if (setjmp(d.failure))
        return false;
    const J_COLOR_SPACE colours = d.info.jpeg_color_space;
    // CMYK arrives as four channels, turned into RGB below.
    const bool inks = colours == JCS_CMYK || colours == JCS_YCCK;
    d.info.out_color_space = inks ? JCS_CMYK : JCS_EXT_RGBA;
    // Smoothing an incomplete picture reads block rows around the ones it asks for, which only an array
    // held whole in memory has.
    d.info.do_block_smoothing = FALSE;
    d.info.scale_num = scaleNumerator(d.info, target);
    d.info.scale_denom = 8;
    jpeg_start_decompress(&d.info);
    const QSize decoded(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height));
    d.scaler.emplace(decoded, target.boundedTo(decoded));
    d.row.resize(static_cast<std::size_t>(decoded.width()) * 4);
    JSAMPROW row = d.row.data();
    while (d.info.output_scanline < d.info.output_height) {
        const int y = static_cast<int>(d.info.output_scanline);
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
        if (inks)
            inksToRgb(d.row);
        d.scaler->addSpan(y, 0, 1, d.row.data(), decoded.width());
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// What Qt's reader would do with the orientation it reports.
QImage transformed(const QImage& image, int transform) {
    if (transform == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    QImage result = image.mirrored(transform & QImageIOHandler::TransformationMirror,
                                   transform & QImageIOHandler::TransformationFlip);
    if (transform & QImageIOHandler::TransformationRotate90)
        result = result.transformed(QTransform().rotate(90));
    return result;
}

void setUp(Decoding& d) {
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = fail;
    d.errors.output_message = stayQuiet;
    d.info.client_data = &d;
    d.arrays.reserve(mostArrays);
    jpeg_create_decompress(&d.info);
    useFileBackedArrays(d);
}

} // namespace

std::uint64_t coefficientBytes(std::string_view bytes) {
    Decoding d;
    setUp(d);
    std::uint64_t total = 0;
    if (readHeader(d, bytes) && jpeg_has_multiple_scans(&d.info)) {
        const int maxH = d.info.max_h_samp_factor, maxV = d.info.max_v_samp_factor;
        for (int c = 0; c < d.info.num_components; ++c) {
            const jpeg_component_info& component = d.info.comp_info[c];
            const std::uint64_t blocksAcross =
                (static_cast<std::uint64_t>(d.info.image_width) * component.h_samp_factor + 8 * maxH - 1) /
                (8 * maxH);
            const std::uint64_t blocksDown =
                (static_cast<std::uint64_t>(d.info.image_height) * component.v_samp_factor + 8 * maxV - 1) /
                (8 * maxV);
            total += blocksAcross * blocksDown * sizeof(JBLOCK);
        }
    }
    jpeg_destroy_decompress(&d.info);
    return total;
}

QImage decodeScaled(std::string_view bytes, QSize target, int transform) {
    if (target.isEmpty())
        return {};
    Decoding d;
    setUp(d);
    // The target is upright; the decoder works in the stored orientation.
    const QSize stored = transform & QImageIOHandler::TransformationRotate90 ? target.transposed() : target;
    const bool decoded = readHeader(d, bytes) && decode(d, stored);
    releaseArrays(d);
    jpeg_destroy_decompress(&d.info);
    return decoded ? transformed(d.scaler->result(), transform) : QImage();
}

} // namespace quorvel::JpegRowReader
