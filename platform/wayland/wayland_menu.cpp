#include "wayland_backend.h"

namespace wayland {

UINT WaylandBackend::trackPopupMenu(const win32::Menu &, int, int, HWND)
{
    return 0;
}

} // namespace wayland
