// GDI raster rules as Windows documents them: transfers between colour and monochrome,
// SRCAND and SRCPAINT, clipping, Rectangle, DIB conversion and handle checks.
#include "../support/pixels.h"

#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(Transfer, ColourToMonoMarksTheSourceBackgroundColour)
{
    HDC colour = memoryDC(5, 1);
    const COLORREF row[] = {kRed, kBlue, RGB(254, 0, 0), kRed, kGreen};
    for (int x = 0; x < 5; ++x)
        setPixel(colour, x, 0, row[x]);
    HDC mono = memoryDC(5, 1, true);
    // The destination's colours play no part in this direction.
    SetBkColor(mono, kBlue);
    SetTextColor(mono, kRed);

    SetBkColor(colour, kRed);
    ASSERT_TRUE(BitBlt(mono, 0, 0, 5, 1, colour, 0, 0, SRCCOPY));
    EXPECT_EQ(pixelAt(mono, 0, 0), kWhite);
    EXPECT_EQ(pixelAt(mono, 1, 0), kBlack);
    EXPECT_EQ(pixelAt(mono, 2, 0), kBlack) << "254 red is not the key";
    EXPECT_EQ(pixelAt(mono, 3, 0), kWhite);
    EXPECT_EQ(pixelAt(mono, 4, 0), kBlack);

    SetBkColor(colour, kGreen);
    BitBlt(mono, 0, 0, 5, 1, colour, 0, 0, SRCCOPY);
    EXPECT_EQ(pixelAt(mono, 0, 0), kBlack);
    EXPECT_EQ(pixelAt(mono, 4, 0), kWhite);
}

TEST(Transfer, MonoToColourUsesTheDestinationsTextAndBackground)
{
    HDC mono = memoryDC(2, 1, true);
    setPixel(mono, 0, 0, kWhite);
    setPixel(mono, 1, 0, kBlack);
    SetBkColor(mono, kRed);
    SetTextColor(mono, kGreen);
    HDC colour = memoryDC(2, 1);
    SetBkColor(colour, RGB(250, 200, 0));
    SetTextColor(colour, kBlue);

    BitBlt(colour, 0, 0, 2, 1, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(pixelAt(colour, 0, 0), RGB(250, 200, 0)) << "1 bits take the background";
    EXPECT_EQ(pixelAt(colour, 1, 0), kBlue) << "0 bits take the text colour";
}

TEST(Transfer, AndAndPaintCombineBitwise)
{
    HDC dst = memoryDC(2, 1), src = memoryDC(2, 1);
    setPixel(dst, 0, 0, RGB(0xF0, 0x0F, 0xAA));
    setPixel(dst, 1, 0, RGB(0x12, 0x34, 0x56));
    setPixel(src, 0, 0, RGB(0x3C, 0xFF, 0x0F));
    setPixel(src, 1, 0, RGB(0x81, 0x42, 0x24));
    BitBlt(dst, 0, 0, 2, 1, src, 0, 0, SRCAND);
    EXPECT_EQ(pixelAt(dst, 0, 0), RGB(0x30, 0x0F, 0x0A));
    EXPECT_EQ(pixelAt(dst, 1, 0), RGB(0x00, 0x00, 0x04));
    BitBlt(dst, 0, 0, 2, 1, src, 0, 0, SRCPAINT);
    EXPECT_EQ(pixelAt(dst, 0, 0), RGB(0x3C, 0xFF, 0x0F));
    EXPECT_EQ(pixelAt(dst, 1, 0), RGB(0x81, 0x42, 0x24));
}

// The sprite draw: mask ANDed through default colours, then the blackened image ORed.
TEST(Transfer, MaskThenImageShowsOnlyTheSprite)
{
    HDC picture = memoryDC(3, 1);
    fillDC(picture, RGB(10, 20, 30));
    HDC mask = memoryDC(3, 1, true), image = memoryDC(3, 1);
    setPixel(mask, 0, 0, kWhite); // key: transparent
    setPixel(mask, 1, 0, kBlack);
    setPixel(mask, 2, 0, kWhite);
    setPixel(image, 0, 0, kBlack);
    setPixel(image, 1, 0, kBlue);
    setPixel(image, 2, 0, kBlack);
    BitBlt(picture, 0, 0, 3, 1, mask, 0, 0, SRCAND);
    BitBlt(picture, 0, 0, 3, 1, image, 0, 0, SRCPAINT);
    EXPECT_EQ(pixelAt(picture, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(pixelAt(picture, 1, 0), kBlue);
    EXPECT_EQ(pixelAt(picture, 2, 0), RGB(10, 20, 30));
}

TEST(Transfer, MonoToMonoAtUnalignedColumns)
{
    HDC src = memoryDC(20, 1, true), dst = memoryDC(20, 1, true);
    fillDC(dst, kBlack);
    for (int x = 0; x < 20; ++x)
        setPixel(src, x, 0, x % 3 == 0 ? kWhite : kBlack);
    BitBlt(dst, 5, 0, 12, 1, src, 3, 0, SRCCOPY);
    for (int x = 0; x < 20; ++x) {
        bool inside = x >= 5 && x < 17;
        COLORREF expected = inside && (x - 5 + 3) % 3 == 0 ? kWhite : kBlack;
        EXPECT_EQ(pixelAt(dst, x, 0), expected) << "x " << x;
    }
}

TEST(Clipping, NegativeDestinationShowsTheVisiblePart)
{
    HDC src = memoryDC(4, 4), dst = memoryDC(4, 4);
    fillDC(dst, kWhite);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setPixel(src, x, y, RGB(x * 10, y * 10, 7));
    ASSERT_TRUE(BitBlt(dst, -2, -3, 4, 4, src, 0, 0, SRCCOPY));
    EXPECT_EQ(pixelAt(dst, 0, 0), RGB(20, 30, 7));
    EXPECT_EQ(pixelAt(dst, 1, 0), RGB(30, 30, 7));
    EXPECT_EQ(pixelAt(dst, 2, 0), kWhite);
    EXPECT_EQ(pixelAt(dst, 0, 1), kWhite);
}

TEST(Clipping, FarAndHugeRectanglesTouchNothingOutside)
{
    HDC src = memoryDC(4, 4), dst = memoryDC(4, 4);
    fillDC(src, kRed);
    fillDC(dst, kWhite);
    EXPECT_TRUE(BitBlt(dst, 1000000, 5, 4, 4, src, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst, INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, src, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst, INT_MIN, INT_MIN, INT_MAX, INT_MAX, src, 0, 0, SRCAND));
    EXPECT_EQ(pixelAt(dst, 0, 0), kWhite);
    EXPECT_EQ(pixelAt(dst, 3, 3), kWhite);

    // A huge width is cut to what both surfaces hold.
    EXPECT_TRUE(BitBlt(dst, 2, 2, INT_MAX, INT_MAX, src, 0, 0, SRCCOPY));
    EXPECT_EQ(pixelAt(dst, 3, 3), kRed);
    EXPECT_EQ(pixelAt(dst, 1, 1), kWhite);
}

TEST(Clipping, SourceOutsideItsBitmapLeavesTheDestination)
{
    HDC src = memoryDC(6, 2), dst = memoryDC(4, 2);
    fillDC(src, kGreen);
    fillDC(dst, kWhite);
    // The frame one past a 3-frame strip of 2-pixel frames.
    BitBlt(dst, 0, 0, 2, 2, src, 6, 0, SRCCOPY);
    EXPECT_EQ(pixelAt(dst, 0, 0), kWhite);
    BitBlt(dst, 0, 0, 4, 2, src, 4, 0, SRCCOPY);
    EXPECT_EQ(pixelAt(dst, 1, 1), kGreen);
    EXPECT_EQ(pixelAt(dst, 2, 1), kWhite);
}

TEST(Clipping, OverlappingTransferWithinOneBitmap)
{
    HDC dc = memoryDC(6, 1);
    for (int x = 0; x < 6; ++x)
        setPixel(dc, x, 0, RGB(x, 0, 0));
    BitBlt(dc, 1, 0, 5, 1, dc, 0, 0, SRCCOPY);
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(pixelAt(dc, x, 0), RGB(x - 1, 0, 0));
}

TEST(RectangleDrawing, PenOutlinesBrushFillsRightAndBottomExcluded)
{
    HDC dc = memoryDC(7, 6);
    fillDC(dc, kWhite);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HBRUSH brush = CreateSolidBrush(kBlue);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    ASSERT_TRUE(Rectangle(dc, 1, 1, 6, 5));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 7; ++x) {
            COLORREF expected = kWhite;
            if (x >= 1 && x <= 5 && y >= 1 && y <= 4)
                expected = (x == 1 || x == 5 || y == 1 || y == 4) ? kRed : kBlue;
            EXPECT_EQ(pixelAt(dc, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(SelectObject(dc, oldPen), pen);
    EXPECT_EQ(SelectObject(dc, oldBrush), brush);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(RectangleDrawing, NewDCsDrawWithABlackPenAndWhiteBrush)
{
    HDC dc = memoryDC(4, 4);
    fillDC(dc, kGreen);
    Rectangle(dc, -1, -1, 5, 5);
    EXPECT_EQ(pixelAt(dc, 0, 0), kWhite) << "the outline lies outside the surface";
    Rectangle(dc, 0, 0, 4, 4);
    EXPECT_EQ(pixelAt(dc, 0, 0), kBlack);
    EXPECT_EQ(pixelAt(dc, 3, 2), kBlack);
    EXPECT_EQ(pixelAt(dc, 1, 1), kWhite);
}

// Fills larger than the cache take another path, straight to memory.
TEST(RectangleDrawing, HugeFillsAreExactToTheEdges)
{
    HDC dc = memoryDC(4003, 3001);
    SelectObject(dc, CreateSolidBrush(RGB(12, 34, 56)));
    SelectObject(dc, CreatePen(PS_SOLID, 1, kRed));
    ASSERT_TRUE(Rectangle(dc, 1, 0, 4002, 3001));
    const win32::Surface s = win32::surfaceOf(dc);
    const std::uint32_t inside = win32::pixelFromColour(RGB(12, 34, 56));
    int wrong = 0;
    for (int y = 1; y < 3000; y += 7)
        for (int x = 2; x < 4001; ++x)
            wrong += s.pixels(y)[x] != inside;
    EXPECT_EQ(wrong, 0);
    for (int y : {1, 1500, 2999}) {
        EXPECT_EQ(pixelAt(dc, 0, y), kBlack) << "left of the rectangle, untouched";
        EXPECT_EQ(pixelAt(dc, 1, y), kRed) << "outline";
        EXPECT_EQ(pixelAt(dc, 4001, y), kRed) << "outline";
        EXPECT_EQ(pixelAt(dc, 4002, y), kBlack) << "right of the rectangle, untouched";
    }
}

// --- device-independent bitmaps ----------------------------------------------------------

struct Dib {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
};

Dib dib(int width, int height, int depth, int entries)
{
    Dib d;
    d.header.biSize = sizeof(BITMAPINFOHEADER);
    d.header.biWidth = width;
    d.header.biHeight = height;
    d.header.biPlanes = 1;
    d.header.biBitCount = WORD(depth);
    d.header.biCompression = BI_RGB;
    for (int i = 0; i < entries; ++i)
        d.colours[i] = RGBQUAD{BYTE(i * 3), BYTE(i * 5), BYTE(i * 7), 0};
    return d;
}

COLORREF entry(int i)
{
    return RGB(i * 7, i * 5, i * 3);
}

HDC selectBitmap(HBITMAP bitmap)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(dc, bitmap), nullptr);
    return dc;
}

TEST(DibConversion, EightBitBottomUpWithRowPadding)
{
    Dib d = dib(3, 2, 8, 256);
    // Rows of 3 bytes padded to 4; the first stored row is the bottom one.
    const std::uint8_t bits[] = {1, 2, 3, 0xEE, 200, 201, 255, 0xEE};
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &d.header, CBM_INIT, bits, reinterpret_cast<BITMAPINFO *>(&d),
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = selectBitmap(bitmap);
    EXPECT_EQ(pixelAt(dc, 0, 0), entry(200));
    EXPECT_EQ(pixelAt(dc, 2, 0), entry(255));
    EXPECT_EQ(pixelAt(dc, 0, 1), entry(1));
    EXPECT_EQ(pixelAt(dc, 2, 1), entry(3));
    BITMAP info;
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 32) << "the bitmap is compatible with the screen";
}

TEST(DibConversion, FourBitRowsWithOddWidth)
{
    Dib d = dib(5, 2, 4, 16);
    // 5 pixels: 3 bytes a row, padded to 4. Leftmost pixel in the high nibble.
    const std::uint8_t bits[] = {0x01, 0x23, 0x40, 0xEE, 0xFE, 0xDC, 0xB0, 0xEE};
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &d.header, CBM_INIT, bits, reinterpret_cast<BITMAPINFO *>(&d),
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    HDC dc = selectBitmap(bitmap);
    const int top[] = {15, 14, 13, 12, 11}, bottom[] = {0, 1, 2, 3, 4};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(pixelAt(dc, x, 0), entry(top[x])) << x;
        EXPECT_EQ(pixelAt(dc, x, 1), entry(bottom[x])) << x;
    }
}

TEST(DibConversion, OneBitTopDown)
{
    Dib d = dib(10, -2, 1, 2);
    d.colours[0] = RGBQUAD{0, 0, 255, 0};   // red
    d.colours[1] = RGBQUAD{255, 255, 0, 0}; // cyan
    // 10 pixels: 2 bytes a row, padded to 4. Negative height: the first row is the top.
    const std::uint8_t bits[] = {0b10100000, 0b01000000, 0, 0, 0b00000000, 0b11000000, 0, 0};
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &d.header, CBM_INIT, bits, reinterpret_cast<BITMAPINFO *>(&d),
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    HDC dc = selectBitmap(bitmap);
    const COLORREF red = RGB(255, 0, 0), cyan = RGB(0, 255, 255);
    EXPECT_EQ(pixelAt(dc, 0, 0), cyan);
    EXPECT_EQ(pixelAt(dc, 1, 0), red);
    EXPECT_EQ(pixelAt(dc, 2, 0), cyan);
    EXPECT_EQ(pixelAt(dc, 9, 0), cyan);
    EXPECT_EQ(pixelAt(dc, 8, 0), red);
    EXPECT_EQ(pixelAt(dc, 7, 1), red);
    EXPECT_EQ(pixelAt(dc, 8, 1), cyan);
}

TEST(DibConversion, RefusesWhatItCannotConvert)
{
    Dib d = dib(2, 2, 24, 0);
    const std::uint8_t bits[16] = {};
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(CreateDIBitmap(screen, &d.header, CBM_INIT, bits, reinterpret_cast<BITMAPINFO *>(&d), DIB_RGB_COLORS),
              nullptr);
    Dib huge = dib(100000, 100000, 8, 256);
    EXPECT_EQ(CreateDIBitmap(screen, &huge.header, 0, nullptr, nullptr, DIB_RGB_COLORS), nullptr);
    ReleaseDC(nullptr, screen);
}

// --- objects and handles -----------------------------------------------------------------

TEST(Handles, MonochromeBitmapsAreWordPadded)
{
    HBITMAP mono = CreateBitmap(17, 3, 1, 1, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(mono, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 17);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmWidthBytes, 4);
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(info.bmPlanes, 1);
}

TEST(Handles, StaleAndWrongKindHandlesAreRefused)
{
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAP info;
    EXPECT_EQ(GetObjectA(pen, sizeof info, &info), 0) << "a pen is not a bitmap";
    EXPECT_EQ(SelectObject(dc, dc), nullptr) << "a DC can't be selected";
    EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(bitmap), 0, 0, 1, 1, dc, 0, 0, SRCCOPY));

    ASSERT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr) << "deleted";
    EXPECT_FALSE(DeleteObject(bitmap));
    // A new object may reuse the entry; the old handle still names nothing.
    HBITMAP next = CreateBitmap(2, 2, 1, 1, nullptr);
    EXPECT_NE(next, bitmap);
    EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), 0);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SetBkColor(dc, kRed), CLR_INVALID);
}

TEST(Handles, ABitmapLivesInOneDCAtATime)
{
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
    HDC first = CreateCompatibleDC(nullptr), second = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(first, bitmap);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    // Selecting the original back frees the bitmap for another DC.
    EXPECT_EQ(SelectObject(first, original), bitmap);
    EXPECT_NE(SelectObject(second, bitmap), nullptr);
}

TEST(Handles, CompatibleBitmapsFollowTheDC)
{
    HDC memory = CreateCompatibleDC(nullptr);
    BITMAP info;
    // A fresh memory DC holds a 1 x 1 monochrome bitmap, so it makes monochrome ones.
    GetObjectA(CreateCompatibleBitmap(memory, 8, 8), sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HDC screen = GetDC(nullptr);
    GetObjectA(CreateCompatibleBitmap(screen, 8, 8), sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidthBytes, 32);
    ReleaseDC(nullptr, screen);
}

TEST(Screen, CaptureShowsTheDesktop)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    HDC copy = memoryDC(1024, 768);
    BitBlt(copy, 0, 0, 1024, 768, screen, 0, 0, SRCCOPY);
    headless::Image desktop = headless::syntheticDesktop(1024, 768);
    for (int y : {0, 400, 737, 740, 767})
        for (int x : {0, 3, 30, 512, 1023})
            EXPECT_EQ(win32::surfaceOf(copy).pixels(y)[x], desktop.pixels[std::size_t(y) * 1024 + std::size_t(x)])
                << x << "," << y;
    ReleaseDC(nullptr, screen);
}

} // namespace
