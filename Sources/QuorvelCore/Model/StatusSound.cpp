#include "Model/StatusSound.h"

namespace quorvel {

std::string_view StatusSounds::systemFileName(StatusSound sound) {
    return sound == StatusSound::finished ? "Glass" : "Ping";
}

std::optional<StatusSound> LightStates::soundCue(LightState state, std::optional<LightState> previous) {
    if (previous == state)
        return std::nullopt;
    switch (state) {
    case LightState::waiting:
    case LightState::failed:
        return StatusSound::attention;
    case LightState::unread:
        return StatusSound::finished;
    default:
        return std::nullopt;
    }
}

} // namespace quorvel
