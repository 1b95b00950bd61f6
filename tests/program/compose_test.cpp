// Pixels of composed frames: the pulse tints the desktop alone, the escape's grey patch covers
// the Start button, the elephant shows its top 54 rows, sprites off the edge are clipped.
#include "../support/pixels.h"

#include "../../app/app.h"
#include "../../assets/catalogue.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../show/render.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

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

COLORREF composed(int x, int y)
{
    return pixelAt(composeSurface, x, y);
}

// Whether the sheet in this pair is opaque at (x, y) of its strip, and its colour there.
bool opaque(HDC maskDC, int x, int y)
{
    return pixelAt(maskDC, x, y) == RGB(0, 0, 0);
}

TEST(Compose, WithNothingCuedAFrameIsTheDesktop)
{
    createShow();
    showState.elephantActive = -1;
    showState.flightKind = -1;
    showState.creatureActive = -1;
    showState.pulseActive = 2;
    renderFrame();
    int differing = 0;
    for (int y = 0; y < kHeight; y += 3)
        for (int x = 0; x < kWidth; x += 3)
            differing += composed(x, y) != desktop(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(Compose, ThePulseTintsTheDesktopButNotTheSprites)
{
    createShow();
    showState.pulseActive = 1;
    showState.walkerScene = 1;
    showState.walkerX = 400 - 15;
    renderFrame();
    // The pulsed colour, ANDed channel by channel: each channel steps by 5 and wraps from 250 to
    // 150, red first.
    auto expectTint = [](COLORREF tint) {
        for (auto [x, y] : {std::pair{500, 300}, std::pair{30, 750}, std::pair{1000, 20}}) {
            COLORREF d = desktop(x, y);
            EXPECT_EQ(composed(x, y), RGB(GetRValue(d) & GetRValue(tint), GetGValue(d) & GetGValue(tint),
                                          GetBValue(d) & GetBValue(tint)))
                << x << "," << y;
        }
    };
    expectTint(RGB(235, 185, 155));
    // The default pen's one-pixel black border lines the screen.
    for (int x : {0, 300, kWidth - 1}) {
        EXPECT_EQ(composed(x, 0), RGB(0, 0, 0));
        EXPECT_EQ(composed(x, kHeight - 1), RGB(0, 0, 0)) << x;
    }
    for (int y : {0, 400, kHeight - 1}) {
        EXPECT_EQ(composed(0, y), RGB(0, 0, 0));
        EXPECT_EQ(composed(kWidth - 1, y), RGB(0, 0, 0));
    }
    // The walker, drawn after the pulse, keeps the sheet's own colours (walk frame 0 at 400).
    int checked = 0;
    for (int y = 0; y < 116; ++y) {
        for (int x = 0; x < 121; ++x) {
            if (!opaque(sceneMaskDC, x, y))
                continue;
            ASSERT_EQ(composed(400 + x, kHeight - 116 + y), pixelAt(sceneImageDC, x, y)) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);

    const std::pair<int, COLORREF> later[] = {{5, RGB(150, 205, 175)}, {15, RGB(200, 150, 225)}, {21, RGB(230, 180, 150)}};
    int frame = 1;
    for (auto [wanted, tint] : later) {
        while (frame < wanted) {
            renderFrame();
            ++frame;
        }
        SCOPED_TRACE(frame);
        expectTint(tint);
    }
}

// An escape's frame 0 over the grey patch: the first escape's tilting button stands at x -10,
// the second's upright one at x -5, both on the bottom edge.
void expectPatch(int patchTop, int frameX, int frameHeight)
{
    const COLORREF grey = RGB(192, 192, 192);
    int patched = 0, drawn = 0;
    for (int y = kHeight - 80; y < kHeight; ++y) {
        for (int x = 0; x < 80; ++x) {
            int sx = x - frameX, sy = y - (kHeight - frameHeight);
            COLORREF expected = (x < 58 && y >= patchTop) ? grey : desktop(x, y);
            if (sy >= 0 && sx < 84 && opaque(escapeMaskDC, sx, sy)) {
                expected = pixelAt(escapeImageDC, sx, sy);
                ++drawn;
            }
            ASSERT_EQ(composed(x, y), expected) << x << "," << y;
            patched += composed(x, y) == grey && desktop(x, y) != grey;
        }
    }
    EXPECT_GT(drawn, 200);
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
    // Its first frame stands at x -81, the second at -66: move it fully into view.
    for (int i = 0; i < 8; ++i)
        renderFrame();
    int x0 = -96 + 8 * 15, shown = 0;
    for (int y = 190; y < 270; ++y) {
        for (int x = 0; x < 96; ++x) {
            bool inFrame = y >= 200 && y < 254;
            COLORREF expected = desktop(x0 + x, y);
            // Frames alternate 0, 1, ...: the eighth call shows frame 1.
            if (inFrame && opaque(elephantMaskDC, 96 + x, y - 200))
                expected = pixelAt(elephantImageDC, 96 + x, y - 200);
            ASSERT_EQ(composed(x0 + x, y), expected) << x << "," << y;
            shown += inFrame && expected != desktop(x0 + x, y);
        }
    }
    EXPECT_GT(shown, 500);
    // The sheet has art below row 54 (the legs' ends) that never shows.
    int hidden = 0;
    for (int y = 54; y < 64; ++y)
        for (int x = 0; x < 192; ++x)
            hidden += opaque(elephantMaskDC, x, y);
    EXPECT_GT(hidden, 0);
}

TEST(Compose, ASpriteOffTheLeftEdgeShowsItsVisiblePart)
{
    createShow();
    showState.walkerScene = 1;
    showState.walkerX = -75;
    renderFrame();
    ASSERT_EQ(std::int32_t(showState.walkerX), -60);
    int shown = 0;
    for (int y = 0; y < 116; ++y) {
        for (int x = 0; x < 80; ++x) {
            int sx = x + 60;
            COLORREF expected = desktop(x, kHeight - 116 + y);
            if (sx < 121 && opaque(sceneMaskDC, sx, y))
                expected = pixelAt(sceneImageDC, sx, y);
            ASSERT_EQ(composed(x, kHeight - 116 + y), expected) << x << "," << y;
            shown += expected != desktop(x, kHeight - 116 + y);
        }
    }
    EXPECT_GT(shown, 200) << "the walker's front half shows";
}

} // namespace
