#pragma once

#include "Services/PreparedFeedbackScreenshot.h"

#include <QImage>
#include <QSize>
#include <filesystem>
#include <functional>
#include <optional>

namespace quorvel {

// Checks and prepares issue-report screenshots off the main thread: a large picture takes seconds to
// decode. Results arrive on the main thread.
class ScreenshotWorker {
public:
    // The preview, or a null image when the file is not an acceptable screenshot.
    using Checked = std::function<void(QImage preview)>;
    // The screenshot ready to send, or nothing when the file is no longer acceptable.
    using Prepared = std::function<void(std::optional<PreparedFeedbackScreenshot> screenshot)>;

    virtual ~ScreenshotWorker() = default;

    // Validates the file and decodes a preview that fits `previewBounds` (device pixels).
    virtual void check(std::filesystem::path path, QSize previewBounds, Checked done) = 0;
    // FeedbackScreenshotValidator::prepareForUpload.
    virtual void prepare(std::filesystem::path path, Prepared done) = 0;

    // The work itself, as the worker's thread runs it.
    static QImage checkedPreview(const std::filesystem::path& path, QSize previewBounds);
    static std::optional<PreparedFeedbackScreenshot> prepared(const std::filesystem::path& path);
};

} // namespace quorvel
