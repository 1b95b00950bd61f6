// The Wayland backend's start, in the order that keeps the snapshot clean: connect, read every
// output the show may cover, and only then make the overlay; and its sounds, which ALSA plays as
// on X11.
#include "wayland_backend.h"
#include "wayland_menu.h"

namespace wayland {

std::unique_ptr<WaylandBackend> WaylandBackend::open(std::string &error)
{
    std::unique_ptr<WaylandBackend> backend(new WaylandBackend);
    if (!backend->connect(error))
        return nullptr;
    std::vector<Output *> candidates = backend->outputsToCover(error);
    std::map<Output *, Image> snapshots;
    if (candidates.empty() || !backend->takeSnapshots(candidates, snapshots, error) ||
        !backend->makeOverlay(candidates, error))
        return nullptr;
    Image &snapshot = snapshots[backend->output_];
    if (snapshot.width != backend->screenWidth() || snapshot.height != backend->screenHeight()) {
        error = "the snapshot of the output is " + std::to_string(snapshot.width) + "x" +
                std::to_string(snapshot.height) + " pixels, not the output's " +
                std::to_string(backend->screenWidth()) + "x" + std::to_string(backend->screenHeight());
        return nullptr;
    }
    backend->snapshot_ = std::move(snapshot);
    backend->probeWorkArea();
    backend->startEvents();
    return backend;
}

// Only a backend that failed to open is destroyed; dropping the connection unmaps what it made.
WaylandBackend::~WaylandBackend() = default;

void WaylandBackend::playSound(const win32::Wave &wave, const std::string &)
{
    if (!sound_)
        sound_ = std::make_unique<x11::AlsaSound>();
    sound_->play(wave);
}

void WaylandBackend::stopSounds()
{
    if (sound_)
        sound_->stop();
}

} // namespace wayland
