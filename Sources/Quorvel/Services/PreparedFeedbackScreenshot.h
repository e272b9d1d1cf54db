#pragma once

#include <QByteArray>
#include <QString>

namespace quorvel {

// A screenshot ready to be sent: the bytes of an image file within the upload limit, the name it is
// sent under and its content type.
struct PreparedFeedbackScreenshot {
    QByteArray data;
    QString fileName;
    QString contentType; // "image/png", "image/jpeg" or "image/heic"

    bool operator==(const PreparedFeedbackScreenshot&) const = default;
};

} // namespace quorvel
