#pragma once

#include <optional>
#include <string>
#include <string_view>

// The parts of the freedesktop.org Desktop Entry format that an autostart entry needs.
namespace quorvel::DesktopEntry {

// One program path as an Exec value: double-quoted, with the quoting escapes, "%" doubled and the escapes
// of string values applied, so that any path comes back unchanged from execProgram. The path must be UTF-8.
std::string execValue(std::string_view program);

// The program that an Exec value, as written in the file, runs: its first argument once the string
// escapes, "%%" and the quoting are undone. Nothing for an empty value or an unterminated quote.
std::optional<std::string> execProgram(std::string_view value);

// The value of `key` in the [Desktop Entry] group of the file's text, spaces around "=" ignored; the
// first occurrence wins.
std::optional<std::string> value(std::string_view fileText, std::string_view key);

} // namespace quorvel::DesktopEntry
