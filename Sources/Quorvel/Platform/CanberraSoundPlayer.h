#pragma once

#include "Platform/SoundPlayer.h"

#include <QObject>
#include <QThreadPool>
#include <mutex>

struct ca_context;

namespace quorvel {

// freedesktop event sounds through libcanberra, which follows the user's sound theme and event-sound
// setting. The library's calls run on one pool thread so that a slow sound server never holds up the
// main thread.
class CanberraSoundPlayer final : public SoundPlayer {
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;

    // The event ids of the sound theme: "message-new-instant" and "complete".
    static const char* eventID(StatusSound sound);

    void play(StatusSound sound, std::function<void()> couldNotPlay) override;
    void beep() override;

private:
    bool playNow(StatusSound sound);

    std::mutex mutex_;
    ca_context* context_ = nullptr;
    QObject mainThread_;
    QThreadPool pool_;
};

} // namespace quorvel
