// The X11 backend's sounds: ALSA plays them, on a player made with the first sound.
#include "x11_backend.h"

namespace x11 {

void X11Backend::playSound(const win32::Wave &wave, const std::string &)
{
    if (!sound_)
        sound_ = std::make_unique<AlsaSound>();
    sound_->play(wave);
}

void X11Backend::stopSounds()
{
    if (sound_)
        sound_->stop();
}

} // namespace x11
