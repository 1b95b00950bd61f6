// The elephant fly-by: a winged pink elephant crosses the screen at a fixed height, flapping.
#include "effects.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

namespace {

// Its frame's full width left of the screen.
std::int32_t elephantX = -96;
std::int32_t elephantFrame;
std::int32_t elephantSheetSelected;

constexpr std::int32_t kFlightTop = 200;

} // namespace

void drawElephant()
{
    if (selectSheetOnce(elephantSheetSelected, elephantImageDC, elephantMaskDC, elephantSheet))
        elephantFrame = -1;
    elephantFrame += 1;
    if (elephantFrame == 2)
        elephantFrame = 0;
    elephantX += 15;
    if (elephantX < showState.screenWidth)
        drawSpriteFrame(elephantImageDC, elephantMaskDC, elephantSheet, elephantFrame, elephantX, kFlightTop);
    else
        showState.elephantActive = CUE_FINISHED;
}
