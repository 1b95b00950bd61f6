// The colour pulse: during the trip the desktop picture is ANDed with a colour that moves on
// every frame. It runs before any sprite is drawn, so it tints the desktop alone.
#include "effects.h"

#include "../state/show_state.h"

namespace {

std::int32_t pulseRed = 230;
std::int32_t pulseGreen = 180;
std::int32_t pulseBlue = 150;

// Each component runs 150, 155, ..., 250 and wraps.
void advance(std::int32_t &component)
{
    component += 5;
    if (component > 250)
        component = 150;
}

} // namespace

void drawColourPulse()
{
    advance(pulseRed);
    advance(pulseGreen);
    advance(pulseBlue);
    HBRUSH brush = CreateSolidBrush(RGB(pulseRed, pulseGreen, pulseBlue));
    HGDIOBJ kept = SelectObject(tintSurface, brush);
    // The DC's default black pen outlines the fill: a black frame lines the screen's edge.
    Rectangle(tintSurface, 0, 0, showState.screenWidth, showState.screenHeight);
    BitBlt(composeSurface, 0, 0, showState.screenWidth, showState.screenHeight, tintSurface, 0, 0, SRCAND);
    SelectObject(tintSurface, kept);
    DeleteObject(brush);
}
