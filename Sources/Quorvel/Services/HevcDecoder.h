#pragma once

#include "Services/YCbCrRows.h"

#include <functional>
#include <string_view>

namespace quorvel::HevcDecoder {

// Decodes the one HEVC picture of a HEIF image item, given its 'hvcC' configuration and its coded data
// (NAL units, each after its length), and hands the decoder's own planes to `use` while they live: no
// copy of a large picture is made. The planes' colour matrix and range are left at their defaults.
// False when the picture cannot be decoded.
bool decode(std::string_view configuration, std::string_view data, const std::function<void(YCbCrRows)>& use);

} // namespace quorvel::HevcDecoder
