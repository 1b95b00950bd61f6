// One trip frame composed the way renderFrame composes it: the snapshot copied into the back
// buffer, the colour pulse, then the mouth, a duck, the elephant and the walker drawn over it;
// beside one full-screen memcpy of the same size.
#include "../../app/app.h"
#include "../../assets/catalogue.h"
#include "../../effects/effects.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../state/show_state.h"

#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

void BM_ComposeTripFrame(benchmark::State &state)
{
    int width = int(state.range(0)), height = int(state.range(1));
    headless::Config config;
    config.width = width;
    config.height = height;
    headless::start(config, nullptr);
    // The program's own start-up: surfaces, sprite DCs and sheets.
    createOverlayWindow(win32::moduleInstance());
    selectSpriteSheet(mouthImageDC, mouthMaskDC, mouthSheet);
    selectSpriteSheet(flightImageDC, flightMaskDC, blueDuckSheet);
    selectSpriteSheet(elephantImageDC, elephantMaskDC, elephantSheet);
    selectSpriteSheet(sceneImageDC, sceneMaskDC, tripSheet);

    for (auto _ : state) {
        BitBlt(composeSurface, 0, 0, width, height, desktopSurface, 0, 0, SRCCOPY);
        drawColourPulse();
        drawSpriteFrame(mouthImageDC, mouthMaskDC, mouthSheet, 7, width / 2 - 59, height / 2 - 50);
        drawSpriteFrame(flightImageDC, flightMaskDC, blueDuckSheet, 1, width / 2 + 200, height / 2 - 120);
        drawSpriteFrame(elephantImageDC, elephantMaskDC, elephantSheet, 0, width / 3, 200);
        drawSpriteFrame(sceneImageDC, sceneMaskDC, tripSheet, 3, 549, height - 116);
    }
}

// memcpy of one full screen, over buffers several times larger than the cache.
void BM_FullScreenMemcpy(benchmark::State &state)
{
    std::size_t bytes = std::size_t(state.range(0)) * std::size_t(state.range(1)) * 4;
    std::size_t count = std::max<std::size_t>(2, (std::size_t(320) << 20) / (2 * bytes));
    std::vector<std::vector<char>> from(count, std::vector<char>(bytes, 1)), to(count, std::vector<char>(bytes, 2));
    std::size_t next = 0;
    for (auto _ : state) {
        std::size_t i = next++ % count;
        std::memcpy(to[i].data(), from[i].data(), bytes);
        benchmark::ClobberMemory();
    }
}

void screens(benchmark::internal::Benchmark *b)
{
    b->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FullScreenMemcpy)->Apply(screens);
BENCHMARK(BM_ComposeTripFrame)->Apply(screens);

} // namespace

BENCHMARK_MAIN();
