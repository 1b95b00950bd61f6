// A pointer for the Wayland end-to-end tests, through the wlroots virtual pointer: it reads one
// command a line, `move X Y` (in the layout's logical units) or `click left|right`, and answers
// "done" once the compositor has it.
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

void global(void *, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void globalRemove(void *, wl_registry *, std::uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

} // namespace

int main(int argc, char **argv)
{
    wl_display *display = wl_display_connect(nullptr);
    if (argc != 3 || !display)
        return std::fprintf(stderr, "usage: wayland_pointer LAYOUT_WIDTH LAYOUT_HEIGHT, on a Wayland display\n"), 2;
    std::uint32_t width = std::uint32_t(std::atoi(argv[1])), height = std::uint32_t(std::atoi(argv[2]));
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager)
        return std::fprintf(stderr, "wayland_pointer: the compositor has no virtual pointer\n"), 1;
    // On the compositor's default seat.
    zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    std::uint32_t time = 0;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string verb, which;
        time += 10;
        std::uint32_t x = 0, y = 0;
        words >> verb;
        if (verb == "move" && words >> x >> y)
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
        if (verb == "click" && words >> which)
            for (auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
                zwlr_virtual_pointer_v1_button(pointer, time + state * 5, which == "right" ? BTN_RIGHT : BTN_LEFT,
                                               state);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return 1;
        std::printf("done\n");
        std::fflush(stdout);
    }
    return 0;
}
