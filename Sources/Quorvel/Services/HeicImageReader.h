#pragma once

#include "Services/HeifBoxes.h"

#include <QImage>
#include <QSize>
#include <memory>
#include <optional>
#include <string_view>

struct heif_context;
struct heif_image_handle;

namespace quorvel {

// Reads the primary image of a HEIC file held in memory (Qt has no HEIF plugin here): its size and
// orientation from the file's properties, and the decoded, upright picture.
class HeicImageReader {
public:
    // The bytes are not copied and must outlive the reader.
    explicit HeicImageReader(std::string_view bytes);
    ~HeicImageReader();
    HeicImageReader(const HeicImageReader&) = delete;
    HeicImageReader& operator=(const HeicImageReader&) = delete;

    // True for a file whose major brand is HEIC ('heic', or 'heix' for its high bit depths).
    static bool isHeic(std::string_view bytes);

    // The file parsed and has a primary image.
    bool canRead() const { return handle_ != nullptr; }
    // The displayed size, with rotation and cropping applied; empty when it cannot be read.
    QSize size() const;
    // EXIF numbering, 1 to 8.
    int orientation() const;
    // The picture upright, scaled down by area averaging to `target` (never above its own size): the
    // decoder's planes are turned into RGB a row at a time, so that no full-size RGB copy is made. A
    // null image when decoding fails.
    QImage readScaled(QSize target) const;

private:
    std::optional<HeifBoxes::CodedImage> singleCodedPicture() const;
    QImage readCoded(const HeifBoxes::CodedImage& coded, QSize target) const;

    struct ContextDeleter {
        void operator()(heif_context* context) const;
    };
    struct HandleDeleter {
        void operator()(heif_image_handle* handle) const;
    };

    std::string_view bytes_;
    std::unique_ptr<heif_context, ContextDeleter> context_;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle_;
};

} // namespace quorvel
