// The badge scene: the badge slides in from the right, comes to rest near the middle and arms
// the exit timer once.
#include "scenes.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

namespace {

std::int32_t badgeSheetSelected;

} // namespace

void drawBadgeScene()
{
    // Where the badge would stand centred; it rests at the first x of its slide not right of it.
    std::int32_t bound = showState.screenWidth / 2 - BADGE_WIDTH / 2;
    std::int32_t step = -15;
    if (showState.walkerX <= bound) {
        step = 0;
        if (showState.exitTimerArmed == EXIT_TIMER_UNARMED)
            SetTimer(mainWindow, EXIT_TIMER, EXIT_TIMER_DELAY, nullptr);
        showState.exitTimerArmed = EXIT_TIMER_ARMED;
    }
    if (selectSheetOnce(badgeSheetSelected, sceneImageDC, sceneMaskDC, badgeSheet))
        showState.walkerY = showState.screenHeight / 2 - BADGE_HEIGHT / 2;
    showState.walkerX += step;
    drawSpriteFrame(sceneImageDC, sceneMaskDC, badgeSheet, 0, showState.walkerX, showState.walkerY);
}

void badgeRect(RECT *rect)
{
    std::int32_t left = showState.walkerX, top = showState.walkerY;
    SetRect(rect, left, top, left + BADGE_WIDTH, top + BADGE_HEIGHT);
}
