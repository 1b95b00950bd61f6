#include "render.h"

#include "scenes.h"

#include "../effects/effects.h"
#include "../state/show_state.h"

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

    // Effects in a fixed order, each cue read at its own turn: a cue set by an earlier effect
    // starts a later one within this frame. CUE_FINISHED counts as off.
    if (showState.pulseActive == CUE_ACTIVE)
        drawColourPulse();
    if (showState.mouthActive > CUE_IDLE)
        drawMouth();
    if (showState.escapePhase > CUE_IDLE)
        drawStartEscape();
    if (showState.flightKind > CUE_IDLE)
        drawFlight();
    if (showState.elephantActive > CUE_IDLE)
        drawElephant();
    if (showState.creatureActive > CUE_IDLE)
        drawStartCreature();

    // The walker or the badge, over everything.
    switch (showState.walkerScene) {
    case SCENE_WALK:
        drawWalkScene();
        break;
    case SCENE_SWALLOW:
        drawSwallowScene();
        break;
    case SCENE_TRIP_WALK:
        drawTripScene();
        break;
    case SCENE_BADGE:
        drawBadgeScene();
        break;
    default:
        break;
    }

    BitBlt(windowDC, 0, 0, showState.screenWidth, showState.screenHeight, composeSurface, 0, 0, SRCCOPY);
    ReleaseDC(mainWindow, windowDC);
}
