// A rectangle of pixels that GDI draws on: a bitmap's bits, a window's back store or a copy of
// the screen. Colour surfaces are 32-bit BGRX (blue in the lowest byte); monochrome surfaces are
// one bit per pixel, leftmost pixel in the highest bit, rows padded to 16 bits like Windows' own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace win32 {

struct Surface {
    std::uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    int bitsPerPixel = 32;

    std::uint8_t *row(int y) const { return bits + y * stride; }
    std::uint32_t *pixels(int y) const { return reinterpret_cast<std::uint32_t *>(row(y)); }
    bool monochrome() const { return bitsPerPixel == 1; }
    bool monoBit(int x, int y) const { return (row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
};

// A picture that holds its own pixels: 32-bit BGRX (0x00RRGGBB words), rows top-down and packed.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    Surface surface() { return Surface{reinterpret_cast<std::uint8_t *>(pixels.data()), width, height, width * 4, 32}; }
};

inline std::ptrdiff_t strideFor(int width, int bitsPerPixel)
{
    return bitsPerPixel == 1 ? ((std::ptrdiff_t{width} + 15) / 16) * 2 : std::ptrdiff_t{width} * 4;
}

// COLORREF is 0x00BBGGRR; a BGRX pixel read as a little-endian word is 0x00RRGGBB.
inline std::uint32_t pixelFromColour(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

inline COLORREF colourFromPixel(std::uint32_t pixel)
{
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// Whichever of black and white lies nearer a colour (black when both do): what a colour table's
// entry becomes in a monochrome bitmap. Brushes and pens there follow rules of their own.
inline bool nearerWhite(COLORREF colour)
{
    int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    int toBlack = r * r + g * g + b * b;
    int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack;
}

} // namespace win32
