#include "Services/FeedbackScreenshotValidator.h"

#include "Model/StatusError.h"
#include "Services/ScreenshotFile.h"
#include "Support/Unicode.h"

#include <QBuffer>
#include <QImageWriter>
#include <optional>

namespace quorvel::FeedbackScreenshotValidator {
namespace {

constexpr int maximumScaledSide = 2400;
constexpr std::size_t maximumStemCharacters = 80;
constexpr int jpegQualities[] = {82, 68, 54, 40};

QString nameStem(const std::filesystem::path& path) {
    const std::string stem = Unicode::repairedUtf8(path.stem().string());
    return QString::fromStdString(Unicode::graphemePrefix(stem, maximumStemCharacters));
}

std::optional<QByteArray> encodedJpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

// The first encoding, from the best quality down, that fits the upload limit.
QByteArray smallEnoughJpeg(const QImage& image) {
    for (const int quality : jpegQualities) {
        const auto bytes = encodedJpeg(image, quality);
        if (!bytes)
            break;
        if (bytes->size() <= maximumUploadBytes)
            return *bytes;
    }
    throw StatusError::invalidRecord();
}

} // namespace

void validate(const std::filesystem::path& path) {
    ScreenshotFile::read(path);
}

PreparedFeedbackScreenshot prepareForUpload(const std::filesystem::path& path) {
    const ScreenshotFile file = ScreenshotFile::read(path);
    const QString stem = nameStem(path);
    if (static_cast<qsizetype>(file.bytes.size()) <= maximumUploadBytes)
        return {QByteArray::fromStdString(file.bytes), stem + u'.' + ScreenshotFile::fileExtension(file.type),
                ScreenshotFile::contentType(file.type)};
    const QImage scaled = file.decode(QSize(maximumScaledSide, maximumScaledSide));
    if (scaled.isNull())
        throw StatusError::invalidRecord();
    return {smallEnoughJpeg(scaled), stem + QStringLiteral(".jpg"), QStringLiteral("image/jpeg")};
}

} // namespace quorvel::FeedbackScreenshotValidator
