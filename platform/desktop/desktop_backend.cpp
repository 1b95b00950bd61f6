// The sounds of a live desktop: ALSA plays them, on a player made with the first sound.
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

} // namespace desktop
