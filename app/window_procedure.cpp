// The overlay window's procedure.
#include "app.h"

#include "../assets/catalogue.h"
#include "../show/show_state.h"

#include <mmsystem.h>

HCURSOR handCursor;
HCURSOR arrowCursor;

namespace {

// A full-screen memory surface holding what the screen shows now.
HDC makeScreenSurface(HDC screen)
{
    HDC surface = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, showState.screenWidth, showState.screenHeight);
    SelectObject(surface, bitmap);
    BitBlt(surface, 0, 0, showState.screenWidth, showState.screenHeight, screen, 0, 0, SRCCOPY);
    return surface;
}

// Builds the show before the window appears: the snapshot is taken while only the desktop is
// on the screen.
void createShow()
{
    HDC screen = GetDC(nullptr);
    handCursor = LoadCursorA(appInstance, "Hand");
    arrowCursor = LoadCursorA(nullptr, IDC_ARROW);

    desktopSurface = makeScreenSurface(screen);
    tintSurface = makeScreenSurface(screen);
    composeSurface = makeScreenSurface(screen);

    sceneImageDC = CreateCompatibleDC(screen);
    sceneMaskDC = CreateCompatibleDC(screen);
    flightImageDC = CreateCompatibleDC(screen);
    flightMaskDC = CreateCompatibleDC(screen);
    escapeImageDC = CreateCompatibleDC(screen);
    escapeMaskDC = CreateCompatibleDC(screen);
    elephantImageDC = CreateCompatibleDC(screen);
    elephantMaskDC = CreateCompatibleDC(screen);
    creatureImageDC = CreateCompatibleDC(screen);
    creatureMaskDC = CreateCompatibleDC(screen);
    mouthImageDC = CreateCompatibleDC(screen);
    mouthMaskDC = CreateCompatibleDC(screen);

    loadSpriteSheets();

    showState.walkerX = -121;
    showState.walkerY = showState.screenHeight - 116;
    showState.frameDelay = 120;
    showState.walkerScene = 1;
    ReleaseDC(nullptr, screen);
}

} // namespace

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        createShow();
        return 0;
    case WM_DESTROY:
        PlaySoundA(nullptr, nullptr, SND_PURGE);
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        // Esc ends the show at any time; the window itself stays until the process ends.
        if (wParam == VK_ESCAPE)
            SendMessageA(window, WM_DESTROY, 0, 0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
