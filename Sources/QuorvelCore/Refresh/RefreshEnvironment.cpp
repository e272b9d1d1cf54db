#include "Refresh/RefreshEnvironment.h"

#include "Support/FileIO.h"

#include <cstdlib>

namespace quorvel {
namespace {

std::optional<std::filesystem::path> variable(const char* name) {
    if (const char* value = std::getenv(name))
        return std::filesystem::path(value);
    return std::nullopt;
}

} // namespace

RefreshEnvironment RefreshEnvironment::fromProcess() {
    return {FileIO::homeDirectory(), variable("CODEX_HOME"), variable("CLAUDE_CONFIG_DIR")};
}

std::filesystem::path RefreshEnvironment::codexHome() const {
    return codexHomeVariable.value_or(home / ".codex");
}

std::filesystem::path RefreshEnvironment::claudeHome() const {
    return claudeConfigVariable.value_or(home / ".claude");
}

} // namespace quorvel
