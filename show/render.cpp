#include "render.h"

#include "show_state.h"

DWORD WINAPI renderThread(LPVOID)
{
    for (;;) {
        renderFrame();
        Sleep(DWORD(showState.frameDelay));
    }
}

void renderFrame()
{
    HDC windowDC = GetDC(mainWindow);
    BitBlt(composeSurface, 0, 0, showState.screenWidth, showState.screenHeight, desktopSurface, 0, 0, SRCCOPY);

    BitBlt(windowDC, 0, 0, showState.screenWidth, showState.screenHeight, composeSurface, 0, 0, SRCCOPY);
    ReleaseDC(mainWindow, windowDC);
}
