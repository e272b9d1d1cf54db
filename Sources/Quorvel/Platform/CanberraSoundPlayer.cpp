#include "Platform/CanberraSoundPlayer.h"

#include "Platform/BackgroundTask.h"

#include <QApplication>
#include <canberra.h>

namespace quorvel {

namespace {
// Every sound plays under this id, so that cancelling it stops whichever is playing.
constexpr std::uint32_t soundID = 1;
} // namespace

CanberraSoundPlayer::CanberraSoundPlayer() {
    pool_.setMaxThreadCount(1);
}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    pool_.waitForDone();
    if (context_)
        ca_context_destroy(context_);
}

const char* CanberraSoundPlayer::eventID(StatusSound sound) {
    return sound == StatusSound::attention ? "message-new-instant" : "complete";
}

void CanberraSoundPlayer::play(StatusSound sound, std::function<void()> couldNotPlay) {
    runInBackground(
        pool_, &mainThread_, [this, sound] { return playNow(sound); },
        [couldNotPlay = std::move(couldNotPlay)](bool started) {
            if (!started && couldNotPlay)
                couldNotPlay();
        });
}

void CanberraSoundPlayer::beep() {
    QApplication::beep();
}

bool CanberraSoundPlayer::playNow(StatusSound sound) {
    const std::lock_guard lock(mutex_);
    if (!context_) {
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return false;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Quorvel", CA_PROP_APPLICATION_ID,
                                "quorvel", CA_PROP_APPLICATION_ICON_NAME, "quorvel", nullptr);
    }
    ca_context_cancel(context_, soundID);
    const int result = ca_context_play(context_, soundID, CA_PROP_EVENT_ID, eventID(sound),
                                       CA_PROP_CANBERRA_CACHE_CONTROL, "volatile", nullptr);
    // Event sounds switched off by the user are the user's choice, not a failure to beep about.
    return result == CA_SUCCESS || result == CA_ERROR_DISABLED;
}

} // namespace quorvel
