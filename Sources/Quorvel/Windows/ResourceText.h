#pragma once

#include <QString>
#include <optional>

namespace quorvel {

class ResourceBundle;

// Text documents of the resource bundle (licences, legal documents).
namespace ResourceText {

inline constexpr qint64 maximumSize = 1024 * 1024;

// The file's text; none when it is missing, larger than maximumSize or not valid UTF-8.
std::optional<QString> read(const ResourceBundle& bundle, const QString& name, const QString& extension,
                            const QString& subdirectory = {});

} // namespace ResourceText
} // namespace quorvel
