#pragma once

#include "Platform/SoundPlayer.h"

#include <vector>

namespace quorvel::testing {

// Records the sounds asked for; `fails` makes every sound unplayable.
class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(StatusSound sound, std::function<void()> couldNotPlay) override {
        played.push_back(sound);
        if (fails)
            couldNotPlay();
    }
    void beep() override { ++beeps; }

    bool fails = false;
    std::vector<StatusSound> played;
    int beeps = 0;
};

} // namespace quorvel::testing
