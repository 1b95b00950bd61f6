// Full-screen BitBlt beside memcpy of the same bytes. Each iteration takes the next of a pool of
// bitmaps several times larger than the last-level cache, so every pass reads and writes
// memory, as a frame of the show does.
#include "../../platform/headless/headless.h"

#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kPoolBytes = std::size_t(320) << 20;

struct Pool {
    std::vector<HDC> sources, destinations;
    std::size_t next = 0;
};

Pool makePool(int width, int height)
{
    Pool pool;
    std::size_t each = std::size_t(width) * std::size_t(height) * 4;
    std::size_t count = std::max<std::size_t>(2, kPoolBytes / (2 * each));
    HDC screen = GetDC(nullptr);
    for (std::size_t i = 0; i < 2 * count; ++i) {
        HDC dc = CreateCompatibleDC(screen);
        SelectObject(dc, CreateCompatibleBitmap(screen, width, height));
        BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        (i % 2 ? pool.destinations : pool.sources).push_back(dc);
    }
    ReleaseDC(nullptr, screen);
    return pool;
}

void bitBlt(benchmark::State &state, DWORD rop)
{
    int width = int(state.range(0)), height = int(state.range(1));
    Pool pool = makePool(width, height);
    for (auto _ : state) {
        std::size_t i = pool.next++ % pool.sources.size();
        BitBlt(pool.destinations[i], 0, 0, width, height, pool.sources[i], 0, 0, rop);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * width * height * 4);
}

void BM_BitBltSrcCopy(benchmark::State &state)
{
    bitBlt(state, SRCCOPY);
}

void BM_BitBltSrcAnd(benchmark::State &state)
{
    bitBlt(state, SRCAND);
}

void BM_Memcpy(benchmark::State &state)
{
    std::size_t bytes = std::size_t(state.range(0)) * std::size_t(state.range(1)) * 4;
    std::size_t count = std::max<std::size_t>(2, kPoolBytes / (2 * bytes));
    std::vector<std::vector<char>> sources(count, std::vector<char>(bytes, 1)),
        destinations(count, std::vector<char>(bytes, 2));
    std::size_t next = 0;
    for (auto _ : state) {
        std::size_t i = next++ % count;
        std::memcpy(destinations[i].data(), sources[i].data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * bytes));
}

void screens(benchmark::internal::Benchmark *b)
{
    b->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Memcpy)->Apply(screens);
BENCHMARK(BM_BitBltSrcCopy)->Apply(screens);
BENCHMARK(BM_BitBltSrcAnd)->Apply(screens);

} // namespace

int main(int argc, char **argv)
{
    headless::start(headless::Config{}, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
