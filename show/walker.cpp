// The walker's scenes (walk, swallow, trip walk): he walks in, swallows, walks on, trips while
// the effects run, and walks out. His counters are the show's clock.
#include "scenes.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

#include <mmsystem.h>

namespace {

std::int32_t walkFrame, walkCycles, walkSheetSelected;
std::int32_t swallowFrame, swallowCycles, swallowSheetSelected;
std::int32_t tripFrame, tripCycles, tripSheetSelected;

// Moves a scene's animation on by one frame, selecting its sheet into the scene pair in the
// scene's first frame, where the strip starts again at frame 0. A cycle is counted each time
// frame 0 comes round again. Returns true in the frame that selected the sheet.
bool stepSceneFrame(const SpriteSheet &sheet, std::int32_t &frame, std::int32_t &cycles,
                    std::int32_t &sheetSelected)
{
    std::int32_t current = frame;
    bool selected = selectSheetOnce(sheetSelected, sceneImageDC, sceneMaskDC, sheet);
    if (selected)
        current = -1;
    if (current + 1 > 5) {
        frame = 0;
        ++cycles;
    } else {
        frame = current + 1;
    }
    // The walker's feet stand on the bottom edge of the screen.
    showState.walkerY = showState.screenHeight - WALK_FRAME_HEIGHT;
    return selected;
}

void drawSceneFrame(const SpriteSheet &sheet, std::int32_t frame)
{
    drawSpriteFrame(sceneImageDC, sceneMaskDC, sheet, frame, showState.walkerX, showState.walkerY);
}

} // namespace

void drawWalkScene()
{
    if (walkCycles == 4) {
        walkCycles = 5;
        walkSheetSelected = 0;
        showState.walkerScene = SCENE_SWALLOW;
        drawSwallowScene();
        return;
    }
    if (walkCycles == 8) {
        walkCycles = 9;
        walkSheetSelected = 0;
        showState.walkerScene = SCENE_TRIP_WALK;
        drawTripScene();
        return;
    }
    if (showState.walkerX > showState.screenWidth) {
        showState.walkerScene = SCENE_BADGE;
        drawBadgeScene();
        return;
    }
    stepSceneFrame(walkSheet, walkFrame, walkCycles, walkSheetSelected);
    showState.walkerX += 15;
    drawSceneFrame(walkSheet, walkFrame);
}

void drawSwallowScene()
{
    if (swallowCycles == 1) {
        showState.walkerScene = SCENE_WALK;
        // The walk adds its 15 again, so it resumes where he swallowed.
        showState.walkerX -= 15;
        drawWalkScene();
        return;
    }
    if (stepSceneFrame(swallowSheet, swallowFrame, swallowCycles, swallowSheetSelected))
        showState.walkerX += 25;
    drawSceneFrame(swallowSheet, swallowFrame);
}

void drawTripScene()
{
    showState.pulseActive = CUE_ACTIVE;
    showState.frameDelay = TRIP_FRAME_DELAY;
    if (showState.elephantActive == CUE_FINISHED && showState.flightKind == CUE_FINISHED &&
        showState.creatureActive == CUE_FINISHED) {
        showState.walkerScene = SCENE_WALK;
        PlaySoundA(nullptr, nullptr, SND_PURGE);
        showState.pulseActive = CUE_IDLE;
        showState.frameDelay = FRAME_DELAY;
        drawWalkScene();
        return;
    }
    // Cues, written in every frame of their cycle.
    if (tripCycles == 1) {
        showState.mouthActive = CUE_ACTIVE;
        showState.mouthX = showState.screenWidth / 2 - 59;
        showState.mouthY = showState.screenHeight / 2 - 50;
    } else if (tripCycles == 4) {
        showState.elephantActive = CUE_ACTIVE;
    }
    stepSceneFrame(tripSheet, tripFrame, tripCycles, tripSheetSelected);
    drawSceneFrame(tripSheet, tripFrame);
}
