// The pixel loops behind BitBlt and Rectangle. Callers hand in surfaces and colours; every
// rectangle is clipped here, once, before any loop runs.
#pragma once

#include "surface.h"

#include <optional>

namespace win32::raster {

enum class Rop { Copy, And, Paint };

std::optional<Rop> ropFromCode(DWORD code);

// Colours, as BGRX pixels, that take part in transfers between colour and monochrome:
// colour to monochrome turns source pixels equal to the source's background into 1 bits;
// monochrome to colour turns 1 bits into the destination's background and 0 bits into its text
// colour.
struct Colours {
    std::uint32_t sourceBackground = 0xFFFFFF;
    std::uint32_t destinationText = 0x000000;
    std::uint32_t destinationBackground = 0xFFFFFF;
};

// Transfers the source rectangle at (sourceX, sourceY) to (x, y), combining by rop. The
// operation is clipped to the destination and to the source: pixels whose source lies outside
// the source surface are left alone, as are pixels outside the destination.
void blt(const Surface &destination, int x, int y, int width, int height, const Surface &source, int sourceX,
         int sourceY, Rop rop, const Colours &colours);

// Like blt with Rop::Copy between two colour surfaces, but writes only the pixels that differ,
// and returns the bounds of those in destination pixels (empty when none differ).
RECT copyChanged(const Surface &destination, int x, int y, int width, int height, const Surface &source, int sourceX,
                 int sourceY);

// Fills [left, right) x [top, bottom), clipped to the surface, as a solid brush of `colour`
// paints: on a monochrome surface any colour but black and white is dithered, in a pattern
// that repeats every 8 pixels from the surface's top left corner.
void fill(const Surface &destination, int left, int top, int right, int bottom, COLORREF colour);

} // namespace win32::raster
