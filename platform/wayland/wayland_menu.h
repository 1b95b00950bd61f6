// The menu host: the popup menu up now, shown in a subsurface of the overlay, which behaves alike
// with and without a layer shell and needs no grab. The main thread, running the menu loop, shows,
// lights and hides it; the events thread hands the loop the pointer over it. Keys, and the pointer
// over the rest of the overlay, reach the loop as the window's messages. Its state is its own,
// under its own lock, and nothing of another part is called while that is held.
#pragma once

#include "wayland_overlay.h"

#include "../core/menus.h"

#include <memory>
#include <mutex>

namespace wayland {

class MenuHost {
public:
    MenuHost(Connection &connection, Overlay &overlay);
    ~MenuHost();

    // Shows `menu` at `at` (moved to stay on the screen), the pointer being at `pointer`.
    void show(const win32::Menu &menu, POINT at, POINT pointer);
    void highlight(int item);
    void hide();

    // The pointer over `surface`, at `at` in its pixels, or its button: handed to the menu loop
    // when the surface is the menu's, and then true.
    bool pointerMoved(wl_surface *surface, POINT at);
    bool pointerButton(wl_surface *surface, std::uint32_t button, bool pressed);

private:
    struct Menu;
    // Called with mutex_ held: the menu painted anew into a buffer the compositor doesn't hold.
    void paint();

    Connection &connection_;
    Overlay &overlay_;
    std::mutex mutex_;
    std::unique_ptr<Menu> menu_;
};

} // namespace wayland
