#include "Platform/ScreenshotWorker.h"

#include "Services/FeedbackScreenshotValidator.h"
#include "Services/ScreenshotFile.h"

namespace quorvel {

QImage ScreenshotWorker::checkedPreview(const std::filesystem::path& path, QSize previewBounds) {
    try {
        return ScreenshotFile::read(path).decode(previewBounds);
    } catch (const std::exception&) {
        return {};
    }
}

std::optional<PreparedFeedbackScreenshot> ScreenshotWorker::prepared(const std::filesystem::path& path) {
    try {
        return FeedbackScreenshotValidator::prepareForUpload(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace quorvel
