// Input for the Wayland end-to-end tests: wlroots' virtual pointer on sway; on KWin its fake input,
// and screenshots (no pointer in them) through org.kde.KWin.ScreenShot2, both of which KWin allows
// this program by its desktop entry. One command a line, "done" once the compositor has it:
//   move X Y | click left|right | key escape (KWin) | shot FILE (KWin: a PPM of the whole screen)
// Usage: wayland_client [LAYOUT_WIDTH LAYOUT_HEIGHT]  (the logical size, for the virtual pointer)
#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

zwlr_virtual_pointer_manager_v1 *manager;
org_kde_kwin_fake_input *input;

void global(void *, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        input = static_cast<org_kde_kwin_fake_input *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}
void globalRemove(void *, wl_registry *, std::uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

// The workspace's 0xAARRGGBB words, as KWin writes them into the pipe after its reply.
bool shot(const std::string &path)
{
    static sd_bus *bus;
    int fds[2];
    sd_bus_message *reply = nullptr;
    if ((!bus && sd_bus_open_user(&bus) < 0) || pipe(fds) != 0 ||
        sd_bus_call_method(bus, "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
                           "CaptureWorkspace", nullptr, &reply, "a{sv}h", 1, "native-resolution", "b", 1, fds[1]) < 0)
        return false;
    close(fds[1]);
    std::uint32_t width = 0, height = 0, stride = 0;
    const char *key;
    sd_bus_message_enter_container(reply, 'a', "{sv}");
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0 && sd_bus_message_read(reply, "s", &key) > 0) {
        std::string name = key;
        std::uint32_t *field = name == "width" ? &width : name == "height" ? &height : name == "stride" ? &stride : nullptr;
        if (!field || sd_bus_message_read(reply, "v", "u", field) < 0)
            sd_bus_message_skip(reply, "v");
        sd_bus_message_exit_container(reply);
    }
    sd_bus_message_unref(reply);
    std::vector<unsigned char> words(std::size_t(stride) * height);
    std::size_t got = 0;
    for (ssize_t n; got < words.size() && (n = read(fds[0], words.data() + got, words.size() - got)) > 0;)
        got += std::size_t(n);
    close(fds[0]);
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out || got != words.size() || width == 0)
        return false;
    std::fprintf(out, "P6\n%u %u\n255\n", width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            unsigned char *bgra = &words[y * stride + x * 4];
            unsigned char rgb[3] = {bgra[2], bgra[1], bgra[0]};
            std::fwrite(rgb, 1, 3, out);
        }
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return std::fprintf(stderr, "wayland_client: no Wayland display\n"), 1;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    // On the compositor's default seat.
    auto *pointer = manager ? zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr) : nullptr;
    if (!pointer && !input)
        return std::fprintf(stderr, "wayland_client: the compositor offers no fake input to this program\n"), 1;
    if (input)
        org_kde_kwin_fake_input_authenticate(input, "howdy tests", "end-to-end tests");
    std::uint32_t width = argc == 3 ? std::uint32_t(std::atoi(argv[1])) : 0;
    std::uint32_t height = argc == 3 ? std::uint32_t(std::atoi(argv[2])) : 0, time = 0;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string verb, which;
        int x = 0, y = 0;
        words >> verb;
        time += 10;
        if (verb == "move" && words >> x >> y && pointer)
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, std::uint32_t(x), std::uint32_t(y), width, height);
        else if (verb == "move")
            org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_int(x), wl_fixed_from_int(y));
        if (verb == "click" && words >> which)
            for (auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
                std::uint32_t button = which == "right" ? BTN_RIGHT : BTN_LEFT;
                if (!pointer)
                    org_kde_kwin_fake_input_button(input, button, state);
                else {
                    zwlr_virtual_pointer_v1_button(pointer, time + state * 5, button, state);
                    zwlr_virtual_pointer_v1_frame(pointer);
                }
            }
        if (verb == "key" && input)
            for (auto state : {WL_KEYBOARD_KEY_STATE_PRESSED, WL_KEYBOARD_KEY_STATE_RELEASED})
                org_kde_kwin_fake_input_keyboard_key(input, KEY_ESC, state);
        if (verb == "move" && pointer)
            zwlr_virtual_pointer_v1_frame(pointer);
        if ((verb == "shot" && words >> which && !shot(which)) || wl_display_roundtrip(display) < 0)
            return std::fprintf(stderr, "wayland_client: %s failed\n", line.c_str()), 1;
        std::printf("done\n");
        std::fflush(stdout);
    }
    return 0;
}
