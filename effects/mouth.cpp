// The giant mouth: lips in the middle of the screen grow, open wide, spit out the first duck on
// their seventh frame and close again.
#include "effects.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

namespace {

std::int32_t mouthSheetSelected;
std::int32_t mouthFrame;

} // namespace

void drawMouth()
{
    std::int32_t previous = mouthFrame;
    if (selectSheetOnce(mouthSheetSelected, mouthImageDC, mouthMaskDC, mouthSheet))
        previous = -1;
    mouthFrame = previous + 1;
    if (mouthFrame == 6) {
        // The duck starts from the top edge, 70 pixels into the open mouth.
        showState.flightLift = 5;
        showState.flightStepX = 20;
        showState.flightBaseHeight = showState.screenHeight - showState.mouthY;
        showState.flightStartX = showState.mouthX + 70;
        showState.flightKind = FLIGHT_MOUTH_DUCK;
    }
    // One frame past the strip ends the animation; that frame shows no mouth.
    if (mouthFrame == mouthSheet.frameCount) {
        showState.mouthActive = CUE_IDLE;
        mouthSheetSelected = 0;
        showState.mouthCycle += 1;
    }
    drawSpriteFrame(mouthImageDC, mouthMaskDC, mouthSheet, mouthFrame, showState.mouthX, showState.mouthY);
}
