// The effects that run while the walker trips, in the order renderFrame runs them, each when
// its cue in ShowState is set. Each is one frame step.
#pragma once

#include <cstdint>

void drawColourPulse();   // pulseActive: the desktop picture cut through a shifting colour
void drawMouth();         // mouthActive: giant lips that spit out the first duck
void drawStartEscape();   // escapePhase: the Start button leaps out and fires a duck
void drawFlight();        // flightKind: a duck on its parabola, quacking
void drawElephant();      // elephantActive: the winged elephant flies across
void drawStartCreature(); // creatureActive: a pile of Start buttons stands up and walks off

// A number from 1 to n, the show's only chance; reseeded from the calendar time on each call.
std::int32_t pickRandom(std::int32_t n);
