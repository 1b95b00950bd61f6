// A pointer for the Wayland end-to-end tests, through the wlroots virtual pointer: it reads one
// command a line and answers "done" once the compositor has it.
//   move X Y          to (X, Y) in the layout's logical units
//   press|release|click left|right
// Usage: wayland_pointer LAYOUT_WIDTH LAYOUT_HEIGHT  (the layout's size in logical units)
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

zwlr_virtual_pointer_manager_v1 *manager;
wl_seat *seat;

void global(void *, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void globalRemove(void *, wl_registry *, std::uint32_t) {}

const wl_registry_listener registryListener{global, globalRemove};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: wayland_pointer LAYOUT_WIDTH LAYOUT_HEIGHT\n");
        return 2;
    }
    std::uint32_t width = std::uint32_t(std::atoi(argv[1])), height = std::uint32_t(std::atoi(argv[2]));
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wayland_pointer: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) {
        std::fprintf(stderr, "wayland_pointer: the compositor has no virtual pointer\n");
        return 1;
    }
    zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    std::uint32_t time = 0;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string verb, which;
        words >> verb;
        time += 10;
        if (verb == "move") {
            std::uint32_t x = 0, y = 0;
            words >> x >> y;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
        } else {
            words >> which;
            std::uint32_t button = which == "right" ? BTN_RIGHT : BTN_LEFT;
            if (verb == "press" || verb == "click")
                zwlr_virtual_pointer_v1_button(pointer, time, button, WL_POINTER_BUTTON_STATE_PRESSED);
            if (verb == "click")
                zwlr_virtual_pointer_v1_frame(pointer);
            if (verb == "release" || verb == "click")
                zwlr_virtual_pointer_v1_button(pointer, time + 5, button, WL_POINTER_BUTTON_STATE_RELEASED);
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return 1;
        std::printf("done\n");
        std::fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
