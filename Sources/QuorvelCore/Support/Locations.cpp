#include "Support/Locations.h"

#include <cstdlib>

namespace quorvel::Locations {

std::filesystem::path applicationSupport(const std::filesystem::path& home) {
    return home / "Library" / "Application Support";
}

std::filesystem::path dataHome(const std::filesystem::path& home) {
    const char* variable = std::getenv("XDG_DATA_HOME");
    if (variable != nullptr && std::filesystem::path(variable).is_absolute())
        return variable;
    return home / ".local" / "share";
}

std::filesystem::path quorvelSupport(const std::filesystem::path& home) {
    return dataHome(home) / "quorvel";
}

} // namespace quorvel::Locations
