#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::PathText {

// The last component of a slash-separated path, trailing slashes ignored ("/a/b/" gives "b"); nothing
// when no component remains ("", "/").
std::optional<std::string> lastComponent(std::string_view path);

} // namespace quorvel::PathText
