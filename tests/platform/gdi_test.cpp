// What tests/probe/gdi_probe leaves out of GDI: a copy within one bitmap, sizes at the ends of
// int, fills past the cache, bitmap sizes, handle checks, reading the screen and window drawing.
#include "../support/pixels.h"
#include "../support/screenless_backend.h"
#include "../support/win32_helpers.h"

#include "../../platform/core/user.h"
#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

std::vector<COLORREF> firstRow(HDC dc, int width)
{
    std::vector<COLORREF> pixels;
    for (int x = 0; x < width; ++x)
        pixels.push_back(pixelAt(dc, x, 0));
    return pixels;
}

// Within one bitmap the source is read before anything is written; places and sizes near the
// ends of int are cut to both bitmaps without overflowing.
TEST(Transfer, WithinOneBitmapAndAtTheEndsOfInt)
{
    HDC dc = memoryDC(3, 1);
    for (int x = 0; x < 3; ++x)
        setPixel(dc, x, 0, COLORREF(1 << x));
    EXPECT_TRUE(BitBlt(dc, 1, 0, 2, 1, dc, 0, 0, SRCPAINT));
    EXPECT_EQ(firstRow(dc, 3), std::vector<COLORREF>({1, 3, 6}));

    const struct {
        int x, y, width, height;
        DWORD rop;
        COLORREF second; // the first pixel stays white
    } cases[] = {
        {1, 0, INT_MAX, 1, SRCCOPY, kRed},
        {INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, SRCCOPY, kWhite},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, SRCAND, kWhite},
        {0, 0, 0, 1, SRCCOPY, kWhite},
    };
    HDC source = memoryDC(2, 1);
    fillDC(source, kRed);
    for (const auto &c : cases) {
        HDC destination = memoryDC(2, 1);
        fillDC(destination, kWhite);
        EXPECT_TRUE(BitBlt(destination, c.x, c.y, c.width, c.height, source, 0, 0, c.rop)) << c.x;
        EXPECT_EQ(firstRow(destination, 2), std::vector<COLORREF>({kWhite, c.second})) << c.x << "," << c.width;
    }
}

// Fills larger than the cache take another path, straight to memory.
TEST(RectangleDrawing, HugeFillsAreExactToTheEdges)
{
    HDC dc = memoryDC(4003, 3001);
    SelectObject(dc, CreateSolidBrush(kBlue));
    SelectObject(dc, CreatePen(PS_SOLID, 1, kRed));
    ASSERT_TRUE(Rectangle(dc, 1, 0, 4002, 3001));
    for (int y = 1; y < 3000; y += 7) {
        for (int x = 0; x < 4003; ++x) {
            COLORREF expected = x == 0 || x == 4002 ? kBlack : x == 1 || x == 4001 ? kRed : kBlue;
            ASSERT_EQ(pixelAt(dc, x, y), expected) << x << "," << y;
        }
    }
}

BITMAPINFO dibInfo(int width, int height, int depth)
{
    return BITMAPINFO{{sizeof(BITMAPINFOHEADER), width, height, 1, WORD(depth), BI_RGB, 0, 0, 0, 0, 0}, {}};
}

TEST(Handles, BitmapFormatsAndTheSizeLimit)
{
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(nullptr);
    BITMAPINFO small = dibInfo(3, 2, 8), deep = dibInfo(2, 2, 24), huge = dibInfo(100000, 100000, 8);
    const std::uint8_t bits[16] = {};
    const struct {
        const char *what;
        HBITMAP bitmap;
        LONG width = 0, height = 0, widthBytes = 0, bitsPixel = 0; // all 0: refused
    } cases[] = {
        {"monochrome rows are padded to 16 bits", CreateBitmap(17, 3, 1, 1, nullptr), 17, 3, 4, 1},
        {"a fresh memory DC holds a monochrome bitmap", CreateCompatibleBitmap(memory, 8, 8), 8, 8, 2, 1},
        {"the screen's are colour", CreateCompatibleBitmap(screen, 8, 8), 8, 8, 32, 32},
        {"an empty compatible bitmap is 1 x 1 monochrome", CreateCompatibleBitmap(screen, 0, 5), 1, 1, 2, 1},
        {"a DIB for the screen", CreateDIBitmap(screen, &small.bmiHeader, 0, nullptr, nullptr, 0), 3, 2, 12, 32},
        {"the largest: a gigabyte", CreateBitmap(16384, 16384, 1, 32, nullptr), 16384, 16384, 65536, 32},
        {"one row more", CreateBitmap(16384, 16385, 1, 32, nullptr)},
        {"one column more", CreateBitmap(16385, 16384, 1, 32, nullptr)},
        {"a huge DIB", CreateDIBitmap(screen, &huge.bmiHeader, 0, nullptr, nullptr, 0)},
        {"a DIB depth it can't convert",
         CreateDIBitmap(screen, &deep.bmiHeader, CBM_INIT, bits, &deep, DIB_RGB_COLORS)},
        {"no width", CreateBitmap(0, 4, 1, 1, nullptr)},
        {"negative height", CreateBitmap(4, -1, 1, 1, nullptr)},
        {"8 bits", CreateBitmap(4, 4, 1, 8, nullptr)},
    };
    for (const auto &c : cases) {
        BITMAP info{};
        EXPECT_EQ(GetObjectA(c.bitmap, sizeof info, &info), c.width ? int(sizeof info) : 0) << c.what;
        EXPECT_EQ(std::vector<LONG>({info.bmWidth, info.bmHeight, info.bmWidthBytes, info.bmBitsPixel}),
                  std::vector<LONG>({c.width, c.height, c.widthBytes, c.bitsPixel})) << c.what;
        EXPECT_EQ(DeleteObject(c.bitmap), c.width != 0) << c.what;
    }
}

// A new DC's colours are white and black, its objects the white brush, the black pen and a 1 x 1
// monochrome bitmap; setting or selecting one returns the one before. A screen DC takes no bitmap.
TEST(Handles, StaleWrongKindAndBusyHandlesAreRefusedAndOnlyTheProcesssAreCounted)
{
    auto count = [] { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); };
    DWORD before = count();
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HDC dc = CreateCompatibleDC(nullptr), other = CreateCompatibleDC(nullptr), screen = GetDC(nullptr);
    EXPECT_EQ(count(), before + 5) << "stock objects are the system's";
    EXPECT_EQ(GetGuiResources(nullptr, GR_GDIOBJECTS), 0u) << "only this process's";
    BITMAP info;
    EXPECT_EQ(GetObjectA(pen, sizeof info, &info), 0) << "a pen is not a bitmap";
    EXPECT_EQ(SelectObject(dc, dc), nullptr) << "a DC can't be selected";
    EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(bitmap), 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(std::vector<COLORREF>({SetBkColor(dc, kRed), SetBkColor(dc, kBlue), SetTextColor(dc, kGreen)}),
              std::vector<COLORREF>({kWhite, kRed, kBlack}));
    HBRUSH brush = CreateSolidBrush(kRed);
    HGDIOBJ whiteBrush = GetStockObject(WHITE_BRUSH), blackPen = GetStockObject(BLACK_PEN);
    for (HDC target : {dc, screen})
        EXPECT_EQ(std::vector<HGDIOBJ>({SelectObject(target, pen), SelectObject(target, brush),
                                        SelectObject(target, blackPen), SelectObject(target, whiteBrush)}),
                  std::vector<HGDIOBJ>({blackPen, whiteBrush, pen, brush}));
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr);
    DeleteObject(brush);

    // A bitmap lives in one DC at a time, until the DC selects another or is deleted.
    HGDIOBJ original = SelectObject(dc, bitmap);
    EXPECT_EQ(GetObjectA(original, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(std::vector<LONG>({info.bmWidth, info.bmHeight, info.bmBitsPixel}), std::vector<LONG>({1, 1, 1}));
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    EXPECT_EQ(SelectObject(dc, original), bitmap);
    EXPECT_NE(SelectObject(other, bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_EQ(SelectObject(dc, bitmap), original);
    ReleaseDC(nullptr, screen);
    DeleteObject(pen);
    EXPECT_EQ(count(), before + 2);

    // Deleted while selected, the bitmap loses its handle at once. A new object may reuse the
    // entry; the old handle still names nothing.
    ASSERT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_NE(CreateBitmap(2, 2, 1, 1, nullptr), bitmap);
    EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), 0);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SetBkColor(dc, kRed), CLR_INVALID);
    EXPECT_EQ(count(), before + 1);
}

TEST(Screen, GetPixelAndCapturesReadTheDesktopWithinTheScreen)
{
    HDC bitmap = memoryDC(2, 2), screen = GetDC(nullptr);
    headless::Image desktop = headless::syntheticDesktop(1024, 768);
    auto desktopAt = [&](int x, int y) { return win32::colourFromPixel(desktop.pixels[y * 1024 + x]); };
    EXPECT_EQ(GetPixel(screen, 700, 300), desktopAt(700, 300));
    for (POINT outside : {POINT{-1, 0}, POINT{2, 0}, POINT{0, -1}, POINT{0, 2}})
        EXPECT_EQ(GetPixel(bitmap, outside.x, outside.y), CLR_INVALID) << outside.x << "," << outside.y;
    EXPECT_EQ(GetPixel(screen, 1024, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
    for (POINT at : {POINT{0, 0}, POINT{30, 737}, POINT{-5, -3}, POINT{1020, 765}}) {
        HDC copy = memoryDC(10, 6);
        fillDC(copy, kGreen);
        BitBlt(copy, 0, 0, 10, 6, screen, at.x, at.y, SRCCOPY);
        for (int y = at.y; y < at.y + 6; ++y)
            for (int x = at.x; x < at.x + 10; ++x)
                EXPECT_EQ(pixelAt(copy, x - at.x, y - at.y),
                          x >= 0 && x < 1024 && y >= 0 && y < 768 ? desktopAt(x, y) : kGreen) << x << "," << y;
    }
}

// Whole copies of a screen that holds still share one picture of it. A copy drawn on, copied
// onto or handed out gets pixels of its own, the screen's to begin with, and leaves the others
// the screen's; one shown whole on a window takes the window's store as its own.
TEST(Screen, WholeCopiesShareOnePictureUntilEachIsChanged)
{
    HDC screen = GetDC(nullptr), red = memoryDC(2, 2);
    fillDC(red, kRed);
    headless::Image desktop = headless::syntheticDesktop(1024, 768);
    auto desktopAt = [&](int x, int y) { return win32::colourFromPixel(desktop.pixels[y * 1024 + x]); };
    auto copyOfScreen = [&] {
        HDC dc = memoryDC(1024, 768);
        BitBlt(dc, 0, 0, 1024, 768, screen, 0, 0, SRCCOPY);
        return dc;
    };
    auto pixels = [](HDC dc) {
        std::lock_guard lock(win32::gdiMutex());
        return win32::handles().find<win32::DeviceContext>(dc)->bitmap->surface.bits;
    };
    // Pixels handed out before the copy stay the bitmap's.
    HDC heldOut = memoryDC(1024, 768);
    win32::Surface held = win32::surfaceOf(heldOut);
    BitBlt(heldOut, 0, 0, 1024, 768, screen, 0, 0, SRCCOPY);
    HDC drawn = copyOfScreen(), copiedOnto = copyOfScreen(), handedOut = copyOfScreen(), shown = copyOfScreen();
    EXPECT_EQ(pixels(drawn), pixels(shown));
    HDC part = memoryDC(1024, 768);
    BitBlt(part, 0, 0, 1023, 768, screen, 0, 0, SRCCOPY);
    EXPECT_EQ(std::vector<COLORREF>({GetPixel(part, 1022, 0), GetPixel(part, 1023, 0)}),
              std::vector<COLORREF>({desktopAt(1022, 0), kBlack})) << "less than the whole screen";

    Rectangle(drawn, 10, 10, 20, 20);
    BitBlt(copiedOnto, 10, 10, 2, 2, red, 0, 0, SRCCOPY);
    setPixel(handedOut, 10, 10, kBlue);
    held.pixels(10)[10] = win32::pixelFromColour(kGreen);
    const struct {
        HDC dc;
        COLORREF at10x10, at15x15;
    } copies[] = {
        {drawn, kBlack, kWhite},
        {copiedOnto, kRed, desktopAt(15, 15)},
        {handedOut, kBlue, desktopAt(15, 15)},
        {heldOut, kGreen, desktopAt(15, 15)},
        {shown, desktopAt(10, 10), desktopAt(15, 15)},
        {copyOfScreen(), desktopAt(10, 10), desktopAt(15, 15)},
    };
    for (const auto &c : copies)
        EXPECT_EQ(std::vector<COLORREF>({GetPixel(c.dc, 10, 10), GetPixel(c.dc, 15, 15), GetPixel(c.dc, 700, 300)}),
                  std::vector<COLORREF>({c.at10x10, c.at15x15, desktopAt(700, 300)})) << &c - copies;

    HWND window = makeWindow("Shown", DefWindowProcA, {0, 0, 1024, 768});
    HDC windowDC = GetDC(window);
    BitBlt(windowDC, 0, 0, 1024, 768, shown, 0, 0, SRCCOPY);
    Rectangle(shown, 10, 10, 20, 20);
    EXPECT_EQ(GetPixel(windowDC, 15, 15), kWhite);
    // Once the window shows, the screen no longer holds still.
    ShowWindow(window, SW_SHOWNORMAL);
    EXPECT_EQ(GetPixel(copyOfScreen(), 15, 15), kWhite);
}

// A window's back store of its own, and what the layer asks of the backend for it.
struct WindowStore : ScreenlessBackend {
    std::vector<std::uint32_t> pixels;
    std::vector<RECT> presented;
    int prepared = 0;
    void createWindow(win32::Window &window, COLORREF) override
    {
        int width = window.rect.right - window.rect.left, height = window.rect.bottom - window.rect.top;
        pixels.assign(std::size_t(width * height), win32::pixelFromColour(kWhite));
        window.surface = win32::Surface{reinterpret_cast<std::uint8_t *>(pixels.data()), width, height, width * 4, 32};
    }
    void prepareWindow(win32::Window &) override { ++prepared; }
    void presentWindow(win32::Window &, const RECT &area) override { presented.push_back(area); }
};

// How a program shows frames: a desktop copied into a back buffer, sprites drawn on it, the whole
// buffer copied onto the window. Once shown, the buffer is drawn straight into the window's store;
// each showing presents only what was drawn since, waiting first for the last put; restoring the
// desktop copies only where something was drawn, unless the desktop changed. Once its pixels are
// handed out, a copy of the buffer writes and shows only the pixels that differ.
TEST(WindowDrawing, AFrameShowsOnlyWhatChanged)
{
    auto owned = std::make_unique<WindowStore>();
    WindowStore &store = *owned;
    win32::installBackend(std::move(owned));
    HWND window = makeWindow("Frames", DefWindowProcA, {0, 0, 40, 6});
    HDC windowDC = GetDC(window);
    // The desktop is painted through GDI only: pixels handed out to a test are never trusted.
    HDC green = memoryDC(40, 6), desktop = memoryDC(40, 6), frame = memoryDC(40, 6), sprite = memoryDC(2, 2);
    fillDC(green, kGreen);
    BitBlt(desktop, 0, 0, 40, 6, green, 0, 0, SRCCOPY);
    fillDC(sprite, kRed);
    SelectObject(frame, GetStockObject(WHITE_BRUSH));
    auto storeAt = [&](int x, int y) { return win32::colourFromPixel(store.pixels[std::size_t(y * 40 + x)]); };
    auto show = [&](int x = 0, int y = 0, int width = 40, int height = 6) {
        store.presented.clear();
        BitBlt(windowDC, x, y, width, height, frame, 0, 0, SRCCOPY);
        EXPECT_EQ(store.presented.size(), 1u);
        RECT r = store.presented.empty() ? RECT{-1, -1, -1, -1} : store.presented.back();
        return std::vector<LONG>({r.left, r.top, r.right, r.bottom});
    };
    auto restore = [&] { BitBlt(frame, 0, 0, 40, 6, desktop, 0, 0, SRCCOPY); };
    auto sprite10x2 = [&] { BitBlt(frame, 10, 2, 2, 2, sprite, 0, 0, SRCCOPY); };

    restore();
    EXPECT_EQ(show(), std::vector<LONG>({0, 0, 40, 6}));
    struct Step {
        const char *what;
        std::function<void()> draw;
        std::vector<LONG> shown;
        COLORREF at11x3;
    } steps[] = {
        {"a sprite", sprite10x2, {10, 2, 12, 4}, kRed},
        {"a sprite clipped at the edge", [&] { BitBlt(frame, 39, 5, 2, 2, sprite, 0, 0, SRCPAINT); }, {39, 5, 40, 6},
         kRed},
        {"a rectangle", [&] { Rectangle(frame, 20, 1, 23, 4); }, {20, 1, 23, 4}, kRed},
        {"the desktop again: only what differed", restore, {10, 1, 40, 6}, kGreen},
        {"nothing", [] {}, {0, 0, 0, 0}, kGreen},
        {"a sprite after the desktop", sprite10x2, {10, 2, 12, 4}, kRed},
        {"the desktop again: where the sprite stood", restore, {10, 2, 12, 4}, kGreen},
        {"the desktop drawn on, then again",
         [&] {
             Rectangle(desktop, 30, 0, 32, 2);
             restore();
         },
         {30, 0, 32, 2}, kGreen},
        {"the desktop's pixels handed out and changed, then again",
         [&] {
             setPixel(desktop, 5, 5, kBlue);
             restore();
         },
         {5, 5, 6, 6}, kGreen},
    };
    for (const Step &step : steps) {
        int prepared = store.prepared;
        step.draw();
        // Drawn straight into the window's store, which was ready for it.
        EXPECT_EQ(storeAt(11, 3), step.at11x3) << step.what;
        EXPECT_GE(store.prepared, prepared + (step.shown[2] > 0 ? 1 : 0)) << step.what;
        EXPECT_EQ(show(), step.shown) << step.what;
    }

    // With the frame's pixels handed out, each copy writes and shows only the pixels that differ.
    const struct {
        const char *what;
        std::vector<POINT> painted; // red, on top of the last case's
        std::vector<LONG> shown;
    } paints[] = {
        {"the same picture", {}, {0, 0, 0, 0}},
        {"one pixel", {{5, 2}}, {5, 2, 6, 3}},
        {"two pixels far apart", {{1, 0}, {38, 5}}, {1, 0, 39, 6}},
        {"a pixel in the last column beyond a block of equal ones", {{39, 3}}, {39, 3, 40, 4}},
        {"the first pixel", {{0, 4}}, {0, 4, 1, 5}},
    };
    for (const auto &c : paints) {
        win32::surfaceOf(frame);
        for (POINT p : c.painted)
            setPixel(frame, p.x, p.y, kRed);
        int prepared = store.prepared;
        EXPECT_EQ(show(), c.shown) << c.what;
        EXPECT_EQ(store.prepared, prepared + 1) << c.what;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(storeAt(x, y), pixelAt(frame, x, y)) << c.what << ": " << x << "," << y;
    }

    // Anything else drawn on the window gives the frame pixels of its own again: what is drawn
    // on it stays off the window until it is shown.
    EXPECT_EQ(show(), std::vector<LONG>({0, 0, 0, 0}));
    Rectangle(windowDC, 0, 0, 2, 2);
    sprite10x2();
    EXPECT_EQ(storeAt(11, 3), kGreen);
    EXPECT_EQ(storeAt(0, 0), kBlack);
    EXPECT_EQ(show(), std::vector<LONG>({0, 0, 12, 4}));
    EXPECT_EQ(storeAt(11, 3), kRed);
    EXPECT_EQ(storeAt(0, 0), kGreen);

    // A copy to a place on the window, clipped at its edge, shows window pixels.
    fillDC(frame, kBlue);
    EXPECT_EQ(show(30, 4, 20, 5), std::vector<LONG>({30, 4, 40, 6}));
    EXPECT_EQ(std::vector<COLORREF>({storeAt(35, 3), storeAt(35, 4), storeAt(29, 4)}),
              std::vector<COLORREF>({kGreen, kBlue, kGreen}));
    ReleaseDC(window, windowDC);
}

} // namespace
