#include "alsa_sound.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace desktop {

namespace {

// ALSA's own messages (several lines for each sound without a device) are not the user's
// business: the program plays silently, as it does on Windows without a sound card.
void quiet(const char *, int, const char *, int, const char *, ...) {}

// One line for the whole run, and only when asked for.
void noteNoSound(int error)
{
    static bool told = false;
    if (told || !std::getenv("HOWDY_DEBUG"))
        return;
    told = true;
    std::fprintf(stderr, "howdy: no sound: ALSA's default device: %s\n", snd_strerror(error));
}

} // namespace

AlsaSound::AlsaSound() : player_([this] { run(); })
{
    snd_lib_error_set_handler(quiet);
}

AlsaSound::~AlsaSound()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        ++request_;
    }
    changed_.notify_all();
    player_.join();
}

void AlsaSound::play(const win32::Wave &wave)
{
    {
        std::lock_guard lock(mutex_);
        next_ = wave;
        ++request_;
    }
    changed_.notify_all();
}

void AlsaSound::stop()
{
    play(win32::Wave{});
}

void AlsaSound::run()
{
    snd_pcm_t *pcm = nullptr;
    unsigned long seen = 0;
    for (;;) {
        win32::Wave wave;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return request_ != seen; });
            if (quit_)
                break;
            seen = request_;
            wave = next_;
        }
        if (pcm)
            snd_pcm_drop(pcm);
        if (!wave.samples || wave.bytes == 0)
            continue;
        // No device is no sound: the program goes on silently.
        if (!pcm) {
            if (int error = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0); error < 0) {
                pcm = nullptr;
                noteNoSound(error);
                continue;
            }
        }
        snd_pcm_format_t format = wave.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (int error = snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, unsigned(wave.channels),
                                           unsigned(wave.sampleRate), 1, 100000);
            error < 0) {
            noteNoSound(error);
            continue;
        }
        std::size_t frameBytes = std::size_t(wave.channels) * std::size_t(wave.bitsPerSample / 8);
        std::size_t frames = wave.bytes / frameBytes, done = 0;
        // Short writes, so that a newer request cuts this sound off quickly.
        while (done < frames) {
            {
                std::lock_guard lock(mutex_);
                if (request_ != seen)
                    break;
            }
            std::size_t chunk = std::min<std::size_t>(frames - done, std::size_t(wave.sampleRate) / 50 + 1);
            snd_pcm_sframes_t written = snd_pcm_writei(pcm, wave.samples + done * frameBytes, chunk);
            if (written < 0)
                written = snd_pcm_recover(pcm, int(written), 1) < 0 ? snd_pcm_sframes_t(chunk) : 0;
            done += std::size_t(written);
        }
    }
    if (pcm)
        snd_pcm_close(pcm);
}

} // namespace desktop
