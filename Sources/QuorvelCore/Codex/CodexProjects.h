#pragma once

#include <map>
#include <string>
#include <string_view>

namespace quorvel::CodexProjects {

inline constexpr std::size_t maxNameLength = 160;

// Thread id (as the file keys it) to the trimmed name of its local project, at most 160 characters.
// Throws JsonParseError or JsonDecodeError when any assignment or project has another shape.
std::map<std::string, std::string> decode(std::string_view globalStateBytes);

} // namespace quorvel::CodexProjects
