// Scene 4: the badge slides in from the right, comes to rest near the middle and arms the
// exit timer once.
#include "scenes.h"

#include "show_state.h"

#include "../assets/catalogue.h"

namespace {

std::int32_t badgeSheetSelected;

} // namespace

void drawBadgeScene()
{
    // Where the badge would stand centred; it rests at the first x of its slide not right of it.
    std::int32_t bound = showState.screenWidth / 2 - 131;
    std::int32_t step = -15;
    if (showState.walkerX <= bound) {
        step = 0;
        if (showState.exitTimerArmed == 0)
            SetTimer(mainWindow, 1, 4000, nullptr);
        showState.exitTimerArmed = 1;
    }
    if (badgeSheetSelected == 0) {
        SelectObject(sceneImageDC, badgeSheet.image);
        SelectObject(sceneMaskDC, badgeSheet.mask);
        badgeSheetSelected = 1;
        showState.walkerY = showState.screenHeight / 2 - 99;
    }
    showState.walkerX += step;
    drawSpriteFrame(sceneImageDC, sceneMaskDC, badgeSheet, 0, showState.walkerX, showState.walkerY);
}

void badgeRect(RECT *rect)
{
    std::int32_t left = showState.walkerX, top = showState.walkerY;
    SetRect(rect, left, top, left + 262, top + 199);
}
