#include "backend_choice.h"

#include "wayland/wayland_backend.h"
#include "x11/x11_backend.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool set(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

} // namespace

std::unique_ptr<win32::Backend> openBackend(std::string &error)
{
    const char *forced = std::getenv("HOWDY_BACKEND");
    std::string choice = forced ? forced : "";
    if (choice == "x11")
        return x11::X11Backend::open(error);
    if (choice == "wayland")
        return wayland::WaylandBackend::open(error);
    if (!choice.empty()) {
        error = "HOWDY_BACKEND is '" + choice + "': use wayland or x11";
        return nullptr;
    }
    if (!set("WAYLAND_DISPLAY"))
        return x11::X11Backend::open(error);
    std::string why;
    if (auto backend = wayland::WaylandBackend::open(why))
        return backend;
    if (!set("DISPLAY")) {
        error = why;
        return nullptr;
    }
    // XWayland can still show the show, though its snapshot lacks the Wayland windows.
    std::fprintf(stderr, "howdy: %s; showing on X11 instead\n", why.c_str());
    return x11::X11Backend::open(error);
}
