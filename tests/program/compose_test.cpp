// Pixels of composed frames: the pulse tints the desktop alone, the escape's grey patch covers
// the Start button, the elephant shows its top 54 rows.
#include "../support/pixels.h"

#include "../../app/app.h"
#include "../../assets/catalogue.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../show/render.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kWidth = 1024, kHeight = 768;

// Builds the show as WinMain does, without showing it or starting the render thread.
void createShow(std::optional<int> workAreaBottom = std::nullopt)
{
    headless::Config config;
    config.workAreaBottom = workAreaBottom;
    headless::start(config, nullptr);
    ASSERT_NE(createOverlayWindow(win32::moduleInstance()), nullptr);
    // No scene: the tests cue what they look at.
    showState.walkerScene = 0;
}

COLORREF desktop(int x, int y)
{
    return pixelAt(desktopSurface, x, y);
}

// Whether the sheet in this pair is opaque at (x, y) of its strip.
bool opaque(HDC maskDC, int x, int y)
{
    return pixelAt(maskDC, x, y) == RGB(0, 0, 0);
}

// The pulse's colour ANDed channel by channel with the desktop's.
COLORREF tinted(COLORREF tint, int x, int y)
{
    COLORREF d = desktop(x, y);
    return RGB(GetRValue(d) & GetRValue(tint), GetGValue(d) & GetGValue(tint), GetBValue(d) & GetBValue(tint));
}

// A sprite's frame as drawn: the pair holding its sheet, where the frame stands on the screen,
// its size, and its left column in the sheet.
struct Sprite {
    HDC image = nullptr, mask = nullptr;
    int x = 0, y = 0, width = 0, height = 0, sheetX = 0;
};

// Checks that `area` of the composed frame shows the sprite where its sheet is opaque and
// `under(x, y)` everywhere else. Returns how many pixels the sprite changed.
int expectArea(RECT area, const Sprite &sprite, const std::function<COLORREF(int, int)> &under)
{
    int wrong = 0, drawn = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            int sx = x - sprite.x, sy = y - sprite.y;
            bool onSprite = sx >= 0 && sy >= 0 && sx < sprite.width && sy < sprite.height &&
                            opaque(sprite.mask, sprite.sheetX + sx, sy);
            COLORREF expected = onSprite ? pixelAt(sprite.image, sprite.sheetX + sx, sy) : under(x, y);
            if (pixelAt(composeSurface, x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "at " << x << "," << y;
            drawn += expected != under(x, y);
        }
    }
    EXPECT_EQ(wrong, 0);
    return drawn;
}

TEST(Compose, WithNothingCuedAFrameIsTheDesktop)
{
    createShow();
    showState.elephantActive = -1;
    showState.flightKind = -1;
    showState.creatureActive = -1;
    showState.pulseActive = 2;
    renderFrame();
    expectArea({0, 0, kWidth, kHeight}, {}, desktop);
}

TEST(Compose, ThePulseTintsTheDesktopButNotTheSprites)
{
    createShow();
    showState.pulseActive = 1;
    showState.walkerScene = 1;
    showState.walkerX = 400 - 15;
    renderFrame();
    // The walker, drawn after the pulse, keeps the sheet's own colours (walk frame 0 at 400).
    const Sprite walker{sceneImageDC, sceneMaskDC, 400, kHeight - 116, 121, 116};
    auto firstTint = [](int x, int y) { return tinted(RGB(235, 185, 155), x, y); };
    EXPECT_GT(expectArea({300, kHeight - 200, 600, kHeight - 1}, walker, firstTint), 1000);
    // The default pen's one-pixel black border lines the screen.
    const std::pair<int, int> border[] = {
        {0, 0},           {300, 0},           {kWidth - 1, 0},          {0, 400}, {kWidth - 1, 400},
        {0, kHeight - 1}, {300, kHeight - 1}, {kWidth - 1, kHeight - 1}};
    for (auto [x, y] : border)
        EXPECT_EQ(pixelAt(composeSurface, x, y), RGB(0, 0, 0)) << x << "," << y;
    // Each channel steps by 5 and wraps from 250 to 150, red first.
    const std::pair<int, COLORREF> later[] = {
        {5, RGB(150, 205, 175)}, {15, RGB(200, 150, 225)}, {21, RGB(230, 180, 150)}};
    int frame = 1;
    for (auto [wanted, colour] : later) {
        for (; frame < wanted; ++frame)
            renderFrame();
        SCOPED_TRACE(frame);
        for (auto [x, y] : {std::pair{500, 300}, std::pair{30, 750}, std::pair{1000, 20}})
            EXPECT_EQ(pixelAt(composeSurface, x, y), tinted(colour, x, y)) << x << "," << y;
    }
}

// An escape's frame 0 over the grey patch: the first escape's tilting button stands at x -10,
// the second's upright one at x -5, both on the bottom edge.
void expectPatch(int patchTop, int frameX, int frameHeight)
{
    const COLORREF grey = RGB(192, 192, 192);
    const Sprite escape{escapeImageDC, escapeMaskDC, frameX, kHeight - frameHeight, 84, frameHeight};
    EXPECT_GT(expectArea({0, kHeight - 80, 80, kHeight}, escape,
                         [&](int x, int y) { return x < 58 && y >= patchTop ? grey : desktop(x, y); }),
              200);
    int patched = 0;
    for (int y = patchTop; y < kHeight; ++y)
        for (int x = 0; x < 58; ++x)
            patched += pixelAt(composeSurface, x, y) == grey && desktop(x, y) != grey;
    if (patchTop < kHeight) {
        EXPECT_GT(patched, 50) << "the patch covers some of the Start button";
    }
}

TEST(Compose, TheEscapesGreyPatchStartsTwoRowsBelowTheWorkArea)
{
    createShow();
    // The built-in desktop's taskbar: 30 rows under a light line, the work area above it.
    EXPECT_EQ(GetRValue(desktop(500, 737)), 0);
    EXPECT_EQ(desktop(500, 738), RGB(223, 223, 223));
    EXPECT_EQ(desktop(500, 767), RGB(192, 192, 192));
    showState.escapePhase = 1;
    renderFrame();
    expectPatch(738 + 2, -10, 58);
    // Eight calls end the escape; the second one starts from the upright sheet.
    for (int call = 2; call <= 8; ++call)
        renderFrame();
    EXPECT_EQ(showState.escapePhase, 0);
    showState.escapePhase = 2;
    renderFrame();
    expectPatch(738 + 2, -5, 68);
}

TEST(Compose, NoPatchWhenTheWorkAreaReachesTheBottom)
{
    createShow(kHeight);
    showState.escapePhase = 1;
    renderFrame();
    expectPatch(kHeight, -10, 58);
}

TEST(Compose, TheElephantShowsOnlyTheTopRowsOfItsFrame)
{
    createShow();
    showState.elephantActive = 1;
    // Its first frame stands at x -81, the second at -66: move it fully into view. Frames
    // alternate 0, 1, ...: the eighth call shows frame 1.
    for (int i = 0; i < 8; ++i)
        renderFrame();
    const int x0 = -96 + 8 * 15;
    EXPECT_GT(expectArea({x0, 190, x0 + 96, 270}, {elephantImageDC, elephantMaskDC, x0, 200, 96, 54, 96}, desktop),
              500);
    // The sheet has art below row 54 (the legs' ends) that never shows.
    int hidden = 0;
    for (int y = 54; y < 64; ++y)
        for (int x = 0; x < 192; ++x)
            hidden += opaque(elephantMaskDC, x, y);
    EXPECT_GT(hidden, 0);
}

} // namespace
