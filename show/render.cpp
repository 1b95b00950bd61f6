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
    // starts a later one within this frame. -1 (finished) counts as off.
    if (showState.pulseActive == 1)
        drawColourPulse();
    if (showState.mouthActive > 0)
        drawMouth();
    if (showState.escapePhase > 0)
        drawStartEscape();
    if (showState.flightKind > 0)
        drawFlight();
    if (showState.elephantActive > 0)
        drawElephant();
    if (showState.creatureActive > 0)
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
