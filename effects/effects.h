// The effects that run while the walker trips, in the order renderFrame runs them, each when
// its cue in ShowState is set. Each is one frame step.
#pragma once

#include <cstdint>

void drawColourPulse();   // pulseActive = 1: the desktop picture cut through a shifting colour
void drawMouth();         // mouthActive > 0: giant lips that spit out the first duck
void drawStartEscape();   // escapePhase > 0: the Start button leaps out and fires a duck
void drawFlight();        // flightKind > 0: a duck on its parabola, quacking
void drawElephant();      // elephantActive > 0: the winged elephant flies across
void drawStartCreature(); // creatureActive > 0: a pile of Start buttons stands up and walks off

// A number from 1 to n, the show's only chance; reseeded from the calendar time on each call.
std::int32_t pickRandom(std::int32_t n);
