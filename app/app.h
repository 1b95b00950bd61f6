// The application shell: program entry, the overlay window and its procedure.
#pragma once

#include <windows.h>

// WinMain's first steps: registers the window class, reads the screen's size and creates the
// overlay window, whose WM_CREATE builds everything the show draws with. The window is not yet
// shown and the render thread not yet started.
HWND createOverlayWindow(HINSTANCE instance);

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
