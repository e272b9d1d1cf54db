#include "Support/PathText.h"

namespace quorvel::PathText {

std::optional<std::string> lastComponent(std::string_view path) {
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    std::string_view component = path.substr(path.find_last_of('/') + 1);
    if (component.empty())
        return std::nullopt;
    return std::string(component);
}

} // namespace quorvel::PathText
