// A popup menu while it is up: its rows, where it stands, and the subsurface it is drawn into.
#pragma once

#include "wayland_backend.h"

#include <array>

struct wl_subsurface;

namespace wayland {

struct MenuRow {
    std::string caption; // without the & that marks an access key
    char accessKey = 0;
    UINT command = 0;
    bool separator = false;
    bool enabled = true;
    int top = 0, bottom = 0;
};

struct WaylandBackend::Menu {
    std::vector<MenuRow> rows;
    int unit = 1;                            // pixels a pixel of the list at scale 1 takes
    int x = 0, y = 0, width = 0, height = 0; // in screen pixels
    int highlighted = -1;
    std::optional<UINT> result;

    OwnedSurface surface;
    wl_subsurface *subsurface = nullptr;
    wp_viewport *viewport = nullptr;
    std::vector<std::uint32_t> pixels;
    win32::Surface view;
    std::array<std::unique_ptr<ShmBuffer>, 2> buffers;

    ~Menu();
    // The choosable row under a point of the menu, or -1.
    int rowAt(int px, int py) const;
    // Draws the menu into `view`.
    void paint();
};

} // namespace wayland
