// Pixels of a composed frame: the pulse tints the desktop alone. What every frame of whole shows
// draws, the escapes' patch and the elephant's rows too, is the Frames tests' business.
#include "../support/pixels.h"

#include "../../app/app.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../show/render.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kWidth = 1024, kHeight = 768;

// Builds the show as WinMain does, without showing it or starting the render thread.
void createShow()
{
    headless::start(headless::Config{}, nullptr);
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

// A sprite's first frame as drawn: the pair holding its sheet, where it stands on the screen, its size.
struct Sprite {
    HDC image = nullptr, mask = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
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
                            opaque(sprite.mask, sx, sy);
            COLORREF expected = onSprite ? pixelAt(sprite.image, sx, sy) : under(x, y);
            if (pixelAt(composeSurface, x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "at " << x << "," << y;
            drawn += expected != under(x, y);
        }
    }
    EXPECT_EQ(wrong, 0);
    return drawn;
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
}

} // namespace
