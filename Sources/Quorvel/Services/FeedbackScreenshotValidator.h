#pragma once

#include "Services/PreparedFeedbackScreenshot.h"

#include <filesystem>

namespace quorvel::FeedbackScreenshotValidator {

// The largest screenshot that is sent, the same limit the issue-report client enforces.
inline constexpr qsizetype maximumUploadBytes = 2'500'000;

// Accepts or rejects a picked file (see ScreenshotFile::read for the rules). Throws
// StatusError::invalidRecord, or std::system_error when the file cannot be opened or examined.
void validate(const std::filesystem::path& path);

// The file's own bytes when they fit the upload limit; otherwise the picture upright, at most 2,400
// pixels on its longer side, as JPEG at the first quality that fits. The file is opened and read once.
// Throws as validate does, and StatusError::invalidRecord when no small enough JPEG can be made.
PreparedFeedbackScreenshot prepareForUpload(const std::filesystem::path& path);

} // namespace quorvel::FeedbackScreenshotValidator
