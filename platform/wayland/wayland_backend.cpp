// The Wayland backend's start, in the order that keeps the snapshot clean: connect, read every
// output the show may cover, and only then make the overlay.
#include "wayland_backend.h"
#include "wayland_menu.h"

#include <wayland-cursor.h>

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

// Only a backend that failed to open is destroyed. The client side of every object it holds goes
// with it; dropping the connection then unmaps whatever the compositor showed.
WaylandBackend::~WaylandBackend()
{
    auto drop = [](auto *proxy) {
        if (proxy)
            wl_proxy_destroy(reinterpret_cast<wl_proxy *>(proxy));
    };
    for (auto &output : outputs_) {
        drop(output->xdgOutput);
        drop(output->proxy);
    }
    drop(layerSurface_);
    drop(toplevel_);
    drop(xdgSurface_);
    drop(viewport_);
    drop(surface_);
    drop(cursorShapeDevice_);
    drop(pointer_);
    drop(keyboard_);
    if (cursorTheme_)
        wl_cursor_theme_destroy(cursorTheme_);
    drop(compositor_);
    drop(subcompositor_);
    drop(shm_);
    drop(seat_);
    drop(wmBase_);
    drop(layerShell_);
    drop(viewporter_);
    drop(xdgOutputManager_);
    drop(activation_);
    drop(screencopy_);
    drop(imageCopy_);
    drop(outputSources_);
    drop(cursorShapes_);
    drop(registry_);
}

} // namespace wayland
