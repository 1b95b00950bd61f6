// The overlay window's procedure.
#include "app.h"

#include "../assets/catalogue.h"
#include "../resources/campaign.h"
#include "../state/show_state.h"

#include <mmsystem.h>

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
    handCursor = LoadCursorA(appInstance, CURSOR_HAND);
    arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
    // Without its hand the badge keeps the arrow: SetCursor(NULL) would hide the pointer.
    if (!handCursor)
        handCursor = arrowCursor;

    desktopSurface = makeScreenSurface(screen);
    tintSurface = makeScreenSurface(screen);
    composeSurface = makeScreenSurface(screen);

    // Each sprite user's pair, created empty, the image DC first.
    HDC *const spritePairs[][2] = {
        {&sceneImageDC, &sceneMaskDC},       {&flightImageDC, &flightMaskDC},
        {&escapeImageDC, &escapeMaskDC},     {&elephantImageDC, &elephantMaskDC},
        {&creatureImageDC, &creatureMaskDC}, {&mouthImageDC, &mouthMaskDC},
    };
    for (auto &pair : spritePairs) {
        *pair[0] = CreateCompatibleDC(screen);
        *pair[1] = CreateCompatibleDC(screen);
    }

    loadSpriteSheets();

    // The walker stands just left of the screen, his feet on its bottom edge.
    showState.walkerX = -WALK_FRAME_WIDTH;
    showState.walkerY = showState.screenHeight - WALK_FRAME_HEIGHT;
    showState.frameDelay = FRAME_DELAY;
    showState.walkerScene = SCENE_WALK;
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
        // A menu left open would keep its modal loop, and with it the program, running.
        EndMenu();
        PostQuitMessage(0);
        return 0;
    // Every way out sends WM_DESTROY; the window itself stays until the process ends.
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            SendMessageA(window, WM_DESTROY, 0, 0);
        return 0;
    case WM_TIMER:
        // The exit timer, armed when the badge comes to rest.
        if (wParam == EXIT_TIMER) {
            // Once only, whatever keeps the program running after this.
            KillTimer(window, EXIT_TIMER);
            openCampaignUrl(campaignUrl);
            SendMessageA(window, WM_DESTROY, 0, 0);
        }
        return 0;
    case WM_MOUSEMOVE:
        SetCursor(hitTestBadge() ? handCursor : arrowCursor);
        return 0;
    case WM_LBUTTONUP:
        if (hitTestBadge())
            openCampaignUrl(CAMPAIGN_URL " ");
        return 0;
    case WM_RBUTTONUP:
        showPopupMenu(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
