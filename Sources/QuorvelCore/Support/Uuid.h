#pragma once

#include <string>
#include <string_view>

namespace quorvel::Uuid {

// True for the 36-character form 8-4-4-4-12 of hexadecimal digits in either letter case.
bool isUuidText(std::string_view text);

// ASCII lower-casing, for ids that are compared without letter case.
std::string lowercased(std::string_view text);

// A new random (version 4) UUID in the canonical upper-case form. Throws std::system_error.
std::string random();

} // namespace quorvel::Uuid
