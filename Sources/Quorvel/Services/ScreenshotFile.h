#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvel {

// A picked screenshot, read once through a checked descriptor: its bytes, its type as the content
// (never the name) tells it, and its pixel size.
struct ScreenshotFile {
    enum class Type { png, jpeg, heic };

    static constexpr std::uint64_t maximumFileBytes = 10'000'000;
    static constexpr int maximumPixelsPerSide = 12'000;

    std::string bytes;
    Type type = Type::png;
    QSize pixelSize;

    // The file must be a regular file, not a link, of 1 to maximumFileBytes bytes, holding a PNG,
    // JPEG or HEIC image of at most maximumPixelsPerSide pixels each way. Throws
    // StatusError::invalidRecord, or std::system_error when the file cannot be opened or examined.
    static ScreenshotFile read(const std::filesystem::path& path);

    // The picture upright, scaled down proportionally (never up) to fit `bounds`; a null image when it
    // cannot be decoded.
    QImage decode(QSize bounds) const;

    static QString contentType(Type type);
    static QString fileExtension(Type type);
};

} // namespace quorvel
