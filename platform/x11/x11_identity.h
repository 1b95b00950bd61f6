// What a window manager, a panel or a pager reads from a window: its names, icon and process,
// and, under a window manager, how it is to be shown.
#pragma once

#include "../core/user.h"

#include <X11/Xlib.h>

namespace x11 {

// Whether a window manager runs (EWMH): the root window names a check window that names itself.
bool windowManagerRuns(Display *display, ::Window root);

// Sets WM_CLASS (the program's name and the window class), WM_NAME and _NET_WM_NAME (the title),
// _NET_WM_ICON (the class's icon), _NET_WM_PID and WM_CLIENT_MACHINE. Under a window manager
// the window also asks to be fullscreen above docks, undecorated, at its place and size.
void describeWindow(Display *display, ::Window xwindow, const win32::Window &window, bool managed);

} // namespace x11
