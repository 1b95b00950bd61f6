// Colour-keyed sprites: a sheet's image with its key colour turned black, a monochrome mask of
// where the key was, and the two-pass draw that lets the picture show through there.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr COLORREF KEY_RED = 0x0000FF;
constexpr COLORREF KEY_GREEN = 0x00FF00;

// One strip of frames; frame i is frameWidth x frameHeight at (i x frameWidth, 0).
struct SpriteSheet {
    HBITMAP image;
    HBITMAP mask;
    std::int32_t frameWidth;
    std::int32_t frameHeight;
    std::int32_t frameCount;
};

// Turns the bitmap's key-colour pixels black and returns a mask that is 1 exactly there; null
// for a null bitmap.
HBITMAP makeColourKeyMask(HBITMAP bitmap, COLORREF key);

// Makes the sheet the one the owner's pair of DCs draws: its image into the image DC, its mask
// into the mask DC. Selecting a null bitmap changes nothing.
void selectSpriteSheet(HDC imageDC, HDC maskDC, const SpriteSheet &sheet);

// An owner selects its sheet in its first frame only, which `sheetSelected` remembers (0 at
// start; the owner clears it to start again). True in the frame that selected it.
bool selectSheetOnce(std::int32_t &sheetSelected, HDC imageDC, HDC maskDC, const SpriteSheet &sheet);

// Draws frame `frame` of the sheet selected into the pair at (x, y) in composeSurface: the mask
// ANDed, then the image ORed. Frames outside the strip, and sheets that failed to load, draw
// nothing.
void drawSpriteFrame(HDC imageDC, HDC maskDC, const SpriteSheet &sheet, std::int32_t frame, std::int32_t x,
                     std::int32_t y);
