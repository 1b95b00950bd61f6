// Reading and writing pixels of a DC's surface in tests.
#pragma once

#include "../../platform/core/gdi.h"

#include <windows.h>

#include <initializer_list>

inline COLORREF pixelAt(HDC dc, int x, int y)
{
    win32::Surface s = win32::surfaceOf(dc);
    if (s.monochrome())
        return s.monoBit(x, y) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return win32::colourFromPixel(s.pixels(y)[x]);
}

inline void setPixel(HDC dc, int x, int y, COLORREF colour)
{
    win32::Surface s = win32::surfaceOf(dc);
    if (s.monochrome()) {
        auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
        std::uint8_t &byte = s.row(y)[x >> 3];
        byte = static_cast<std::uint8_t>(win32::nearerWhite(colour) ? (byte | mask) : (byte & ~mask));
    } else {
        s.pixels(y)[x] = win32::pixelFromColour(colour);
    }
}

inline void fillDC(HDC dc, COLORREF colour)
{
    win32::Surface s = win32::surfaceOf(dc);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            setPixel(dc, x, y, colour);
}

// A memory DC holding a new bitmap: colour (32 bits) or monochrome.
inline HDC memoryDC(int width, int height, bool monochrome = false)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = monochrome ? CreateBitmap(width, height, 1, 1, nullptr)
                                : CreateCompatibleBitmap(screen, width, height);
    SelectObject(dc, bitmap);
    ReleaseDC(nullptr, screen);
    return dc;
}
