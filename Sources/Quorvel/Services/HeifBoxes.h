#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::HeifBoxes {

// The orientation (EXIF numbering, 1 to 8) that the rotation and mirror properties of a HEIF file's
// primary image stand for, in the order the file lists them; 1 when there are none or the boxes cannot
// be read.
int primaryImageOrientation(std::string_view file);

// The primary image of a HEIF file when it is one coded picture: its item type ("hvc1", "grid", …),
// its decoder configuration (the 'hvcC' property's payload) and its coded data, joined from its extents.
struct CodedImage {
    std::string type;
    std::string_view configuration;
    std::string data;
};
std::optional<CodedImage> primaryCodedImage(std::string_view file);

} // namespace quorvel::HeifBoxes
