#include "Support/Locations.h"

namespace quorvel::Locations {

std::filesystem::path applicationSupport(const std::filesystem::path& home) {
    return home / "Library" / "Application Support";
}

std::filesystem::path quorvelSupport(const std::filesystem::path& home) {
    return applicationSupport(home) / "Quorvel";
}

} // namespace quorvel::Locations
