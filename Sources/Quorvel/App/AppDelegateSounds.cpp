#include "App/AppDelegate.h"
#include "Platform/SoundPlayer.h"

#include <QPointer>

namespace quorvel {

std::map<std::string, LightState> AppDelegate::currentVisibleStates(Date now) const {
    std::map<std::string, LightState> states;
    for (const auto& task : tasks)
        states[task.id] = task.visibleState(now, readState);
    return states;
}

void AppDelegate::playSoundsForTransitions(Date now) {
    auto current = currentVisibleStates(now);
    if (!soundsEnabled || !previousVisibleStates) {
        previousVisibleStates = std::move(current);
        return;
    }
    bool attention = false;
    bool finished = false;
    for (const auto& [id, state] : current) {
        const auto previous = previousVisibleStates->find(id);
        const auto cue = LightStates::soundCue(
            state, previous == previousVisibleStates->end() ? std::nullopt : std::optional(previous->second));
        attention = attention || cue == StatusSound::attention;
        finished = finished || cue == StatusSound::finished;
    }
    if (attention)
        playSound(StatusSound::attention);
    else if (finished)
        playSound(StatusSound::finished);
    previousVisibleStates = std::move(current);
}

void AppDelegate::playSound(StatusSound sound) {
    playingSound = sound;
    QPointer<AppDelegate> self(this);
    platform_.sounds->play(sound, [self] {
        if (!self)
            return;
        self->playingSound.reset();
        self->platform_.sounds->beep();
    });
}

} // namespace quorvel
