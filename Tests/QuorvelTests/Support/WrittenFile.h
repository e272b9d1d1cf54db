#pragma once

#include "TestSupport.h"

#include <QByteArray>
#include <filesystem>

namespace quorvel::testing {

// Writes the bytes to `path`, making its folders, and gives the path.
inline std::filesystem::path written(const std::filesystem::path& path, const QByteArray& bytes) {
    writeFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return path;
}

} // namespace quorvel::testing
