// The Start-button escape: at the bottom-left corner the Start button tilts (first escape) or
// stands up (second) and leaps out, a grey patch hides the real one in the snapshot, a cannon
// fires and a duck is launched from the corner.
#include "effects.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

#include <mmsystem.h>

namespace {

std::int32_t escapeFrame;
std::int32_t escapeSheetSelected;
RECT escapeWorkArea;

struct EscapePhase {
    const SpriteSheet *sheet;
    std::int32_t frameX;
    // The duck it launches, and where from.
    std::int32_t duck;
    std::int32_t startX, baseHeight, lift, stepX;
};

const EscapePhase firstEscape = {&startTiltSheet, -10, FLIGHT_YELLOW_DUCK, 25, 60, 50, 25};
const EscapePhase secondEscape = {&startUprightSheet, -5, FLIGHT_RED_DUCK, 0, 70, 60, 10};

constexpr COLORREF kPatchGrey = RGB(192, 192, 192);

} // namespace

void drawStartEscape()
{
    const EscapePhase &phase = showState.escapePhase == ESCAPE_SECOND ? secondEscape : firstEscape;
    if (escapeFrame == 4) {
        showState.flightKind = phase.duck;
        showState.flightStartX = phase.startX;
        showState.flightBaseHeight = phase.baseHeight;
        showState.flightLift = phase.lift;
        showState.flightStepX = phase.stepX;
    } else if (escapeFrame == 6) {
        showState.escapePhase = CUE_IDLE;
        escapeSheetSelected = 0;
        escapeFrame = 0;
        return;
    }
    std::int32_t frameHeight = phase.sheet->frameHeight;
    if (selectSheetOnce(escapeSheetSelected, escapeImageDC, escapeMaskDC, *phase.sheet)) {
        escapeFrame = -1;
        // Read once per escape: where the taskbar is, if it is at the bottom.
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &escapeWorkArea, 0);
    }
    escapeFrame += 1;

    HBRUSH brush = CreateSolidBrush(kPatchGrey);
    HPEN pen = CreatePen(PS_SOLID, 1, kPatchGrey);
    HGDIOBJ keptBrush = SelectObject(composeSurface, brush);
    HGDIOBJ keptPen = SelectObject(composeSurface, pen);
    // Covers the snapshot's Start button, below the taskbar's top two rows.
    if (showState.screenHeight - escapeWorkArea.bottom != 0)
        Rectangle(composeSurface, 0, escapeWorkArea.bottom + 2, 58, showState.screenHeight);
    drawSpriteFrame(escapeImageDC, escapeMaskDC, *phase.sheet, escapeFrame, phase.frameX,
                    showState.screenHeight - frameHeight);
    SelectObject(composeSurface, keptBrush);
    SelectObject(composeSurface, keptPen);
    DeleteObject(brush);
    DeleteObject(pen);

    if (escapeFrame == 5) {
        PlaySoundA(nullptr, nullptr, SND_PURGE);
        PlaySoundA(SOUND_CANNON, nullptr, SND_RESOURCE | SND_ASYNC);
    }
}
