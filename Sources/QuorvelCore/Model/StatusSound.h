#pragma once

#include "Model/LightState.h"

#include <optional>
#include <string_view>

namespace quorvel {

// The two transition sounds.
enum class StatusSound { finished, attention };

namespace StatusSounds {
// The system sound played for it: "Glass" or "Ping".
std::string_view systemFileName(StatusSound sound);
} // namespace StatusSounds

} // namespace quorvel
