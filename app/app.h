// The application shell: entry point, the overlay window's procedure and its handles.
#pragma once

#include <windows.h>

extern HINSTANCE appInstance;
extern HCURSOR handCursor;
extern HCURSOR arrowCursor;

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
