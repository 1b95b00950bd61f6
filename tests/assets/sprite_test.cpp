// Colour-key masks and the two-pass sprite draw at the edges of a strip and a picture; how each
// sheet masks and draws in the show is the Frames tests' business.
#include "../support/pixels.h"

#include "../../assets/sprite.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

HBITMAP colourBitmap(int width, int height, std::initializer_list<COLORREF> pixels)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ kept = SelectObject(dc, bitmap);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        setPixel(dc, int(i) % width, int(i) / width, pixels.begin()[i]);
    SelectObject(dc, kept);
    DeleteDC(dc);
    return bitmap;
}

struct Pair {
    HDC image = CreateCompatibleDC(nullptr);
    HDC mask = CreateCompatibleDC(nullptr);
    void select(const SpriteSheet &sheet)
    {
        SelectObject(image, sheet.image);
        SelectObject(mask, sheet.mask);
    }
};

// Three 2 x 2 frames on a red key, a blue pixel at each frame's top right, in a bitmap wider than
// its strip with a blue pixel beyond it: each draw onto a 10 x 6 picture changes what it should.
TEST(Drawing, ShowsTheSpriteOnlyWithinTheStripAndThePicture)
{
    SpriteSheet sheet{nullptr, nullptr, 2, 2, 3};
    sheet.image = colourBitmap(8, 2, {kRed, kBlue, kRed, kBlue, kRed, kBlue, kRed, kBlue, //
                                      kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed});
    sheet.mask = makeColourKeyMask(sheet.image, KEY_RED);
    SpriteSheet failed{nullptr, nullptr, 2, 2, 3};
    EXPECT_EQ(makeColourKeyMask(nullptr, KEY_RED), nullptr);
    const struct {
        const char *what;
        const SpriteSheet *sheet;
        int frame, x, y;
        int blueX, blueY; // where the one changed pixel is, -1 for none
    } cases[] = {
        {"frame 1 inside", &sheet, 1, 4, 2, 5, 2},
        {"its blue pixel above the picture", &sheet, 0, -1, -1, -1, -1},
        {"its blue pixel right of the picture", &sheet, 2, 9, 5, -1, -1},
        {"at the picture's corner", &sheet, 2, 8, 5, 9, 5},
        {"one column off the picture's left", &sheet, 0, -1, 3, 0, 3},
        {"one frame past the strip", &sheet, 3, 0, 0, -1, -1},
        {"a negative frame", &sheet, -1, 0, 0, -1, -1},
        // Its owner's pair still holds the previous sheet, since selecting null changes nothing.
        {"a sheet that failed to load", &failed, 1, 4, 2, -1, -1},
    };
    Pair pair;
    pair.select(sheet);
    composeSurface = memoryDC(10, 6);
    for (const auto &c : cases) {
        fillDC(composeSurface, RGB(1, 2, 3));
        pair.select(*c.sheet);
        drawSpriteFrame(pair.image, pair.mask, *c.sheet, c.frame, c.x, c.y);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(pixelAt(composeSurface, x, y), x == c.blueX && y == c.blueY ? kBlue : RGB(1, 2, 3))
                    << c.what << " at " << x << "," << y;
    }
}

} // namespace
