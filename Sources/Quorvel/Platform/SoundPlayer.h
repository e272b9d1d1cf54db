#pragma once

#include "Model/StatusSound.h"

#include <functional>

namespace quorvel {

// The desktop's event sounds. Never blocks the caller.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Starts the sound, stopping the one still playing. When it cannot be played, `couldNotPlay` runs
    // on the main thread.
    virtual void play(StatusSound sound, std::function<void()> couldNotPlay) = 0;
    virtual void beep() = 0;
};

} // namespace quorvel
