// The flying ducks: each flies a parabola from its launch point until it leaves the screen on
// the right or at the bottom, quacking every sixth frame, and its end cues what comes next.
#include "effects.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

#include <mmsystem.h>

#include <ctime>

namespace {

std::int32_t flightSheetSelected;
std::int32_t flightTime;
std::int32_t flightFrame;
std::int32_t flightSoundCount;
std::int32_t flightQuack;
std::int32_t creatureCueDelay;
const SpriteSheet *flightSheet = &blueDuckSheet;

std::int32_t randomCallCount;
std::uint32_t randomState;

// The C runtime's rand as the show has always drawn from it, carried here so that every
// platform makes the same picks: a 32-bit linear congruential generator, bits 16 to 30.
std::int32_t nextRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return std::int32_t((randomState >> 16) & 0x7FFF);
}

void launch()
{
    flightSoundCount = 0;
    switch (showState.flightKind) {
    case FLIGHT_YELLOW_DUCK:
        flightSheet = &yellowDuckSheet;
        flightQuack = 1;
        break;
    case FLIGHT_RED_DUCK:
        flightSheet = &redDuckSheet;
        flightQuack = 2;
        creatureCueDelay = 1;
        break;
    case FLIGHT_MOUTH_DUCK:
        flightSheet = &blueDuckSheet;
        flightQuack = 2;
        break;
    }
    selectSheetOnce(flightSheetSelected, flightImageDC, flightMaskDC, *flightSheet);
    flightFrame = -1;
    flightTime = 0;
}

void playFlightSound()
{
    if (showState.elephantActive == CUE_ACTIVE && pickRandom(3) == 2)
        PlaySoundA(SOUND_ELEPHANT, nullptr, SND_RESOURCE | SND_ASYNC);
    else
        PlaySoundA(flightQuack == 1 ? SOUND_QUACK1 : SOUND_QUACK2, nullptr, SND_RESOURCE | SND_ASYNC);
}

// The duck has left the screen: the mouth's duck starts the first escape, the yellow duck the
// second, and the red duck ends the flights for good.
void land()
{
    flightSheetSelected = 0;
    if (showState.mouthCycle > MOUTH_NEVER_CLOSED) {
        showState.mouthCycle = MOUTH_DUCK_LANDED;
        showState.escapePhase = ESCAPE_FIRST;
        showState.flightKind = CUE_IDLE;
    } else if (showState.flightKind == FLIGHT_YELLOW_DUCK) {
        showState.escapePhase = ESCAPE_SECOND;
        showState.flightKind = CUE_IDLE;
    } else {
        showState.flightKind = CUE_FINISHED;
    }
}

} // namespace

void drawFlight()
{
    if (flightSheetSelected == 0)
        launch();
    if (creatureCueDelay > 0) {
        creatureCueDelay += 1;
        if (creatureCueDelay > 6) {
            showState.creatureActive = CUE_ACTIVE;
            creatureCueDelay = -1;
        }
    }
    flightTime += 1;
    std::int32_t t = flightTime;
    std::int32_t x = showState.flightStartX + showState.flightStepX * t;
    // Up at flightLift, down at 3 pixels per frame squared; truncated toward zero.
    auto y = std::int32_t(1.5 * double(t) * double(t) - double(showState.flightLift * t) +
                          double(showState.screenHeight - showState.flightBaseHeight));
    if (x >= showState.screenWidth || y >= showState.screenHeight) {
        land();
        return;
    }
    flightFrame += 1;
    if (flightFrame == 2)
        flightFrame = 0;
    drawSpriteFrame(flightImageDC, flightMaskDC, *flightSheet, flightFrame, x, y);
    flightSoundCount += 1;
    if (flightSoundCount == 6) {
        playFlightSound();
        flightSoundCount = 0;
    }
}

std::int32_t pickRandom(std::int32_t n)
{
    if (randomCallCount > 10000)
        randomCallCount = 0;
    randomCallCount += 1;
    randomState = std::uint32_t(std::time(nullptr)) / std::uint32_t(randomCallCount);
    nextRandom();
    std::int32_t r = nextRandom();
    return (r - 1) / (32767 / n) + 1;
}
