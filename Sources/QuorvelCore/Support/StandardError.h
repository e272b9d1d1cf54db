#pragma once

#include <string_view>

namespace quorvel::StandardError {

// Writes the text and a line feed to standard error in one call; a failed write is ignored.
void writeLine(std::string_view text);

} // namespace quorvel::StandardError
