// Colour-key masks, the two-pass sprite draw and the sheets loaded at start-up.
#include "../support/pixels.h"

#include "../../assets/catalogue.h"
#include "../../assets/png_decoder.h"
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
    int i = 0;
    for (COLORREF c : pixels) {
        setPixel(dc, i % width, i / width, c);
        ++i;
    }
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

TEST(Mask, OneExactlyAtTheKeyColourAndTheKeyTurnsBlack)
{
    HBITMAP image = colourBitmap(3, 1, {kRed, kBlue, RGB(254, 0, 0)});
    HBITMAP mask = makeColourKeyMask(image, KEY_RED);
    ASSERT_NE(mask, nullptr);
    BITMAP info{};
    GetObjectA(mask, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(info.bmWidth, 3);

    Pair pair;
    // Neither bitmap is left in a DC, so both can be selected by their owner.
    ASSERT_NE(SelectObject(pair.image, image), nullptr);
    ASSERT_NE(SelectObject(pair.mask, mask), nullptr);
    EXPECT_EQ(pixelAt(pair.mask, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(pixelAt(pair.mask, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(pixelAt(pair.mask, 2, 0), RGB(0, 0, 0)) << "254 red stays opaque";
    EXPECT_EQ(pixelAt(pair.image, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(pixelAt(pair.image, 1, 0), kBlue);
    EXPECT_EQ(pixelAt(pair.image, 2, 0), RGB(254, 0, 0));

    EXPECT_EQ(makeColourKeyMask(nullptr, KEY_RED), nullptr);
}

class Drawing : public testing::Test {
protected:
    void SetUp() override
    {
        composeSurface = memoryDC(10, 6);
        fillDC(composeSurface, RGB(1, 2, 3));
        // Three 2 x 2 frames: red key, a blue pixel at each frame's top right; the bitmap is wider
        // than its strip, with a blue pixel beyond it.
        sheet.image = colourBitmap(8, 2, {kRed, kBlue, kRed, kBlue, kRed, kBlue, kRed, kBlue, //
                                          kRed, kRed, kRed, kRed, kRed, kRed, kRed, kRed});
        sheet.mask = makeColourKeyMask(sheet.image, KEY_RED);
        pair.select(sheet);
    }
    int changedPixels()
    {
        int changed = 0;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 10; ++x)
                changed += pixelAt(composeSurface, x, y) != RGB(1, 2, 3);
        return changed;
    }
    SpriteSheet sheet{nullptr, nullptr, 2, 2, 3};
    Pair pair;
};

TEST_F(Drawing, ShowsTheSpriteAndLeavesTheBackground)
{
    drawSpriteFrame(pair.image, pair.mask, sheet, 1, 4, 2);
    EXPECT_EQ(pixelAt(composeSurface, 5, 2), kBlue);
    EXPECT_EQ(changedPixels(), 1);
}

TEST_F(Drawing, ClipsAtTheEdges)
{
    drawSpriteFrame(pair.image, pair.mask, sheet, 0, -1, -1);
    EXPECT_EQ(pixelAt(composeSurface, 0, 0), RGB(1, 2, 3)) << "the blue pixel lies above the surface";
    drawSpriteFrame(pair.image, pair.mask, sheet, 2, 9, 5);
    drawSpriteFrame(pair.image, pair.mask, sheet, 2, 8, 5);
    EXPECT_EQ(pixelAt(composeSurface, 9, 5), kBlue);
    EXPECT_EQ(changedPixels(), 1);
}

TEST_F(Drawing, FramesOutsideTheStripDrawNothing)
{
    drawSpriteFrame(pair.image, pair.mask, sheet, 3, 0, 0);
    drawSpriteFrame(pair.image, pair.mask, sheet, -1, 0, 0);
    EXPECT_EQ(changedPixels(), 0);
}

TEST_F(Drawing, ASheetThatFailedToLoadDrawsNothing)
{
    // Its owner's pair still holds the previous sheet, since selecting null changes nothing.
    SpriteSheet failed{nullptr, nullptr, 2, 2, 3};
    pair.select(failed);
    drawSpriteFrame(pair.image, pair.mask, failed, 1, 4, 2);
    EXPECT_EQ(changedPixels(), 0);
}

TEST(Catalogue, EverySheetIsLoadedAndMaskedAtItsKeyColour)
{
    loadSpriteSheets();
    struct Row {
        const SpriteSheet *sheet;
        WORD id;
        int stripHeight;
        COLORREF key;
    };
#define SHEET_ROW(sheet, id, file, width, height, frames, stripHeight, key) {&sheet, id, stripHeight, key},
    const Row rows[] = {SPRITE_SHEETS(SHEET_ROW)};
#undef SHEET_ROW
    for (const Row &row : rows) {
        SCOPED_TRACE(row.id);
        const SpriteSheet &sheet = *row.sheet;
        BITMAP info{};
        ASSERT_TRUE(GetObjectA(sheet.image, sizeof info, &info));
        EXPECT_EQ(info.bmWidth, sheet.frameWidth * sheet.frameCount);
        EXPECT_EQ(info.bmHeight, row.stripHeight);

        // Against a fresh decode: the mask is 1 exactly at the key, where the image is black.
        Pair masked, fresh;
        masked.select(sheet);
        SelectObject(fresh.image, decodePngResource(row.id, nullptr));
        int mismatches = 0, keyed = 0;
        for (int y = 0; y < info.bmHeight; ++y) {
            for (int x = 0; x < info.bmWidth; ++x) {
                bool key = pixelAt(fresh.image, x, y) == row.key;
                bool maskBit = pixelAt(masked.mask, x, y) == RGB(255, 255, 255);
                COLORREF expected = key ? RGB(0, 0, 0) : pixelAt(fresh.image, x, y);
                mismatches += maskBit != key || pixelAt(masked.image, x, y) != expected;
                keyed += key;
            }
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(keyed, 0);
    }
}

TEST(Catalogue, EveryFrameDrawsWithoutATraceOfItsBackground)
{
    loadSpriteSheets();
    composeSurface = memoryDC(1400, 300);
#define SHEET_ADDRESS(sheet, id, file, width, height, frames, stripHeight, key) &sheet,
    const SpriteSheet *sheets[] = {SPRITE_SHEETS(SHEET_ADDRESS)};
#undef SHEET_ADDRESS
    for (const SpriteSheet *sheet : sheets) {
        Pair pair;
        pair.select(*sheet);
        for (int frame = 0; frame < sheet->frameCount; ++frame) {
            fillDC(composeSurface, RGB(128, 128, 128));
            drawSpriteFrame(pair.image, pair.mask, *sheet, frame, 3, 5);
            int keyColoured = 0, drawn = 0;
            for (int y = 5; y < 5 + sheet->frameHeight; ++y) {
                for (int x = 3; x < 3 + sheet->frameWidth; ++x) {
                    COLORREF c = pixelAt(composeSurface, x, y);
                    keyColoured += c == KEY_RED || c == KEY_GREEN;
                    drawn += c != RGB(128, 128, 128);
                }
            }
            EXPECT_EQ(keyColoured, 0) << "sheet " << sheet->frameWidth << " frame " << frame;
            EXPECT_GT(drawn, 0) << "sheet " << sheet->frameWidth << " frame " << frame;
            // Nothing below the frame as drawn: the elephant shows rows 0 to 53 only.
            for (int x = 3; x < 3 + sheet->frameWidth; ++x)
                EXPECT_EQ(pixelAt(composeSurface, x, 5 + sheet->frameHeight), RGB(128, 128, 128));
        }
    }
}

} // namespace
