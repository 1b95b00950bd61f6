// The program's resources as the show uses them: the sprite sheets, decoded and masked once at
// start-up, and the names of the sounds and the cursor. The tables are in resources/media.h.
#pragma once

#include "sprite.h"

#include "../resources/media.h"

#define DECLARE_SHEET(sheet, id, file, width, height, frames, stripHeight, key) extern SpriteSheet sheet;
SPRITE_SHEETS(DECLARE_SHEET)
#undef DECLARE_SHEET

#define NAME_CONSTANT(constant, name, file) constexpr const char constant[] = #name;
SOUNDS(NAME_CONSTANT)
HAND_CURSOR(NAME_CONSTANT)
#undef NAME_CONSTANT

// Decodes and masks every sheet, in the table's order. A sheet that fails to decode keeps null
// bitmaps and draws nothing.
void loadSpriteSheets();
