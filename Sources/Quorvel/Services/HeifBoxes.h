#pragma once

#include <string_view>

namespace quorvel::HeifBoxes {

// The orientation (EXIF numbering, 1 to 8) that the rotation and mirror properties of a HEIF file's
// primary image stand for, in the order the file lists them; 1 when there are none or the boxes cannot
// be read.
int primaryImageOrientation(std::string_view file);

} // namespace quorvel::HeifBoxes
