#include "Support/Locations.h"

#include <cstdlib>

namespace quorvel::Locations {

std::filesystem::path applicationSupport(const std::filesystem::path& home) {
    return home / "Library" / "Application Support";
}

namespace {

// The folder an XDG variable names, or `fallback` when it is unset or not absolute.
std::filesystem::path absoluteVariableOr(const char* name, std::filesystem::path fallback) {
    const char* variable = std::getenv(name);
    if (variable != nullptr && std::filesystem::path(variable).is_absolute())
        return variable;
    return fallback;
}

} // namespace

std::filesystem::path dataHome(const std::filesystem::path& home) {
    return absoluteVariableOr("XDG_DATA_HOME", home / ".local" / "share");
}

std::filesystem::path configHome(const std::filesystem::path& home) {
    return absoluteVariableOr("XDG_CONFIG_HOME", home / ".config");
}

std::filesystem::path quorvelSupport(const std::filesystem::path& home) {
    return dataHome(home) / "quorvel";
}

} // namespace quorvel::Locations
