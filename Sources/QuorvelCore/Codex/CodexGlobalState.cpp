#include "Codex/CodexGlobalState.h"

#include "Support/FileIO.h"
#include "Support/FileInfo.h"

namespace quorvel::CodexGlobalState {

std::filesystem::path path(const std::filesystem::path& codexHome) {
    return codexHome / ".codex-global-state.json";
}

std::optional<std::string> read(const std::filesystem::path& codexHome) {
    auto file = path(codexHome);
    // A link or anything but a regular file has no size of its own to trust.
    auto info = FileInfo::of(file);
    if (!info.isRegular() || info.size > maxBytes)
        return std::nullopt;
    return FileIO::readBounded(file, maxBytes);
}

} // namespace quorvel::CodexGlobalState
