// A popup menu while it is up: its look, where it stands, and the subsurface of the overlay it is
// shown in.
#pragma once

#include "wayland_backend.h"

#include "../desktop/popup_menu.h"

#include <array>

struct wl_subsurface;

namespace wayland {

struct WaylandBackend::Menu {
    explicit Menu(const win32::Menu &menu) : look(menu) {}
    ~Menu();

    desktop::PopupMenu look;
    int highlighted = -1;
    POINT corner{};  // in screen pixels
    POINT pointer{}; // where the pointer is, in the menu's pixels

    OwnedSurface surface;
    wl_subsurface *subsurface = nullptr;
    wp_viewport *viewport = nullptr;
    std::vector<std::uint32_t> pixels;
    std::array<std::unique_ptr<ShmBuffer>, 2> buffers;
};

} // namespace wayland
