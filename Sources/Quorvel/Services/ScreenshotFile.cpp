#include "Services/ScreenshotFile.h"

#include "Model/StatusError.h"
#include "Services/HeicImageReader.h"
#include "Services/JpegRowReader.h"
#include "Services/PngRowReader.h"
#include "Support/FileIO.h"

#include <QBuffer>
#include <QImageReader>

namespace quorvel {
namespace {

// Qt decodes only JPEGs here, and those at most at a scaled size of a few thousand pixels.
constexpr int allocationLimitMegabytes = 256;
// A progressive JPEG whose coefficients need more memory than this is decoded with them in a file.
constexpr std::uint64_t largestCoefficientsInMemory = 96'000'000;

QByteArray unownedBytes(const std::string& bytes) {
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Reads from `buffer`, which must stay open for the reader's lifetime.
void prepareReader(QImageReader& reader, QBuffer& buffer) {
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(allocationLimitMegabytes);
}

std::optional<ScreenshotFile::Type> qtImageType(const QByteArray& format) {
    if (format == "png")
        return ScreenshotFile::Type::png;
    if (format == "jpeg")
        return ScreenshotFile::Type::jpeg;
    return std::nullopt;
}

struct TypeNames {
    const char* contentType;
    const char* extension;
};

TypeNames typeNames(ScreenshotFile::Type type) {
    switch (type) {
    case ScreenshotFile::Type::jpeg:
        return {"image/jpeg", "jpg"};
    case ScreenshotFile::Type::heic:
        return {"image/heic", "heic"};
    case ScreenshotFile::Type::png:
        break;
    }
    return {"image/png", "png"};
}

bool isAcceptedSize(QSize size) {
    return size.width() >= 1 && size.height() >= 1 && size.width() <= ScreenshotFile::maximumPixelsPerSide &&
           size.height() <= ScreenshotFile::maximumPixelsPerSide;
}

// `size` scaled down proportionally to fit `bounds`; unchanged when it fits already.
QSize fitted(QSize size, QSize bounds) {
    if (size.width() <= bounds.width() && size.height() <= bounds.height())
        return size;
    return size.scaled(bounds, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage decodeWithQt(const std::string& bytes, QSize bounds) {
    QByteArray data = unownedBytes(bytes);
    QBuffer buffer(&data);
    QImageReader reader;
    prepareReader(reader, buffer);
    // The scaled size is given in the stored orientation; the reader turns the picture afterwards.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize stored = reader.size();
    const QSize shown = turned ? stored.transposed() : stored;
    const QSize target = fitted(shown, bounds);
    if (target != shown)
        reader.setScaledSize(turned ? target.transposed() : target);
    return reader.read();
}

// Qt's reader would hold a large progressive JPEG's coefficients in memory.
QImage decodeJpeg(const std::string& bytes, QSize bounds) {
    if (JpegRowReader::coefficientBytes(bytes) <= largestCoefficientsInMemory)
        return decodeWithQt(bytes, bounds);
    QByteArray data = unownedBytes(bytes);
    QBuffer buffer(&data);
    QImageReader reader;
    prepareReader(reader, buffer);
    const auto transformation = reader.transformation();
    const QSize stored = reader.size();
    const QSize shown =
        transformation.testFlag(QImageIOHandler::TransformationRotate90) ? stored.transposed() : stored;
    return JpegRowReader::decodeScaled(bytes, fitted(shown, bounds), static_cast<int>(transformation));
}

} // namespace

ScreenshotFile ScreenshotFile::read(const std::filesystem::path& path) {
    ScreenshotFile file;
    file.bytes = FileIO::readBounded(path, maximumFileBytes);
    if (file.bytes.empty())
        throw StatusError::invalidRecord();
    if (HeicImageReader::isHeic(file.bytes)) {
        file.type = Type::heic;
        file.pixelSize = HeicImageReader(file.bytes).size();
    } else {
        QByteArray data = unownedBytes(file.bytes);
        QBuffer buffer(&data);
        QImageReader reader;
        prepareReader(reader, buffer);
        const auto type = qtImageType(reader.format());
        if (!type)
            throw StatusError::invalidRecord();
        file.type = *type;
        file.pixelSize = reader.size();
    }
    if (!isAcceptedSize(file.pixelSize))
        throw StatusError::invalidRecord();
    return file;
}

// PNG and HEIC pictures are scaled while they are decoded, a row at a time: Qt's PNG reader and a
// full-size HEIC decode would hold the whole picture (a 12,000-pixel square at 16 bits is over 1 GB).
// Qt's JPEG reader already decodes at a reduced size.
QImage ScreenshotFile::decode(QSize bounds) const {
    switch (type) {
    case Type::png:
        return PngRowReader::decodeScaled(bytes, fitted(pixelSize, bounds));
    case Type::heic:
        return HeicImageReader(bytes).readScaled(fitted(pixelSize, bounds));
    case Type::jpeg:
        break;
    }
    return decodeJpeg(bytes, bounds);
}

QString ScreenshotFile::contentType(Type type) {
    return QString::fromLatin1(typeNames(type).contentType);
}

QString ScreenshotFile::fileExtension(Type type) {
    return QString::fromLatin1(typeNames(type).extension);
}

} // namespace quorvel
