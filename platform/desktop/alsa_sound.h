// Plays the program's sounds on ALSA's default device, one at a time: a new sound cuts off the
// one still playing, as PlaySound does.
#pragma once

#include "../core/backend.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace desktop {

class AlsaSound {
public:
    AlsaSound();
    ~AlsaSound();
    AlsaSound(const AlsaSound &) = delete;
    AlsaSound &operator=(const AlsaSound &) = delete;

    void play(const win32::Wave &wave);
    void stop();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    win32::Wave next_;
    // Counts requests, so the player sees that what it plays has been replaced or stopped.
    unsigned long request_ = 0;
    bool quit_ = false;
    std::thread player_;
};

} // namespace desktop
