// The sounds of a live desktop, which ALSA plays, and the run's summary.
#include "desktop_backend.h"


namespace desktop {

void DesktopBackend::playSound(const win32::Wave &wave, const std::string &)
{
    if (!sound_)
        sound_ = std::make_unique<AlsaSound>();
    sound_->play(wave);
}

void DesktopBackend::stopSounds()
{
    if (sound_)
        sound_->stop();
}

std::string DesktopBackend::runSummary()
{
    auto seconds = [](std::int64_t ms) { return std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1); };
    std::string text;
    if (timerSetAt_ >= 0)
        text = "a timer set " + seconds(timerSetAt_) + " s after the start";
    if (lookedUpAt_ >= 0)
        text += (text.empty() ? "" : ", ") + std::string("a program for a file last looked up ") +
                seconds(lookedUpAt_) + " s after the start";
    return text;
}

} // namespace desktop
