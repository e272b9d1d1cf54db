#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::Unicode {

// Unicode White_Space (line breaks included).
bool isWhiteSpace(char32_t codePoint);

// Removes White_Space from the start only.
std::string_view trimmedStart(std::string_view text);

// Removes White_Space from both ends. Invalid UTF-8 is left as it is.
std::string_view trimmed(std::string_view text);

// Splits at every White_Space character and joins the non-empty pieces with single spaces.
std::string collapsedWhiteSpace(std::string_view text);

// The first `count` extended grapheme clusters of `text`.
std::string graphemePrefix(std::string_view text, std::size_t count);

// Number of extended grapheme clusters, counting stops once it passes `stopAfter`.
std::size_t graphemeCount(std::string_view text, std::size_t stopAfter = SIZE_MAX);

// Replaces ill-formed UTF-8 sequences with U+FFFD.
std::string repairedUtf8(std::string_view text);
bool isValidUtf8(std::string_view text);

} // namespace quorvel::Unicode
