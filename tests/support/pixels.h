// Reading and writing pixels of a DC's colour surface in tests.
#pragma once

#include "../../platform/core/gdi.h"

#include <windows.h>

#include <algorithm>

inline COLORREF pixelAt(HDC dc, int x, int y)
{
    return win32::colourFromPixel(win32::surfaceOf(dc).pixels(y)[x]);
}

inline void setPixel(HDC dc, int x, int y, COLORREF colour)
{
    win32::surfaceOf(dc).pixels(y)[x] = win32::pixelFromColour(colour);
}

inline void fillDC(HDC dc, COLORREF colour)
{
    win32::Surface s = win32::surfaceOf(dc);
    for (int y = 0; y < s.height; ++y)
        std::fill(s.pixels(y), s.pixels(y) + s.width, win32::pixelFromColour(colour));
}

// A memory DC holding a new screen-compatible bitmap.
inline HDC memoryDC(int width, int height)
{
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    SelectObject(dc, CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    return dc;
}
