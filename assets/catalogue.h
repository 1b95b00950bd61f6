// The sprite sheets in the program's resources, decoded and masked once at start-up.
#pragma once

#include "sprite.h"

extern SpriteSheet walkSheet;
extern SpriteSheet swallowSheet;
extern SpriteSheet tripSheet;
extern SpriteSheet badgeSheet;
extern SpriteSheet startTiltSheet;
extern SpriteSheet startUprightSheet;
extern SpriteSheet blueDuckSheet;
extern SpriteSheet redDuckSheet;
extern SpriteSheet yellowDuckSheet;
extern SpriteSheet elephantSheet;
extern SpriteSheet startPileSheet;
extern SpriteSheet startCreatureSheet;
extern SpriteSheet mouthSheet;

// Decodes and masks every sheet, in catalogue order. A sheet that fails to decode keeps null
// bitmaps and draws nothing.
void loadSpriteSheets();
