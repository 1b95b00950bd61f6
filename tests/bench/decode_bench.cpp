// The sprite sheets' decode: ours (decodePngResource on the embedded resource, to a screen
// bitmap) beside libpng reading the same bytes from memory to 8-bit palette indexes, sheet by
// sheet; and the start-up work, all thirteen sheets decoded and masked. Ends with a table of
// ours against libpng.
// The decoder's tests check its pixels; here both read the same bytes. On a shared or virtual machine, run with --benchmark_repetitions=N: the
// table then takes each benchmark's fastest repetition, the one least disturbed by neighbours.
#include "../../assets/png_decoder.h"
#include "../../assets/sprite.h"
#include "../../platform/core/gdi.h"
#include "../../platform/headless/headless.h"

#include <windows.h>

#include <unistd.h>

#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

struct Sheet {
    WORD id;
    const char *file;
    COLORREF key;
};

// In the order the program loads them, with the key colour each is masked with.
constexpr Sheet kSheets[] = {
    {113, "walk.png", KEY_RED},         {122, "swallow.png", KEY_RED},
    {121, "trip.png", KEY_RED},         {125, "badge.png", KEY_RED},
    {119, "start-tilt.png", KEY_RED},   {116, "start-upright.png", KEY_RED},
    {114, "duck-blue.png", KEY_GREEN},  {120, "duck-red.png", KEY_GREEN},
    {124, "duck-yellow.png", KEY_GREEN}, {117, "elephant.png", KEY_GREEN},
    {118, "start-pile.png", KEY_GREEN}, {123, "start-creature.png", KEY_GREEN},
    {130, "mouth.png", KEY_GREEN},
};

std::string label(const Sheet &sheet)
{
    return std::string(sheet.file) + "#" + std::to_string(sheet.id);
}

// The sheet's bytes as embedded: the PNG file itself.
std::span<const std::uint8_t> resourceBytes(WORD id)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "PNG");
    if (!resource)
        return {};
    auto *data = static_cast<const std::uint8_t *>(LockResource(LoadResource(nullptr, resource)));
    return data ? std::span<const std::uint8_t>(data, SizeofResource(nullptr, resource))
                : std::span<const std::uint8_t>();
}

// libpng's decode target: rows of palette indexes, allocated once.
struct Indexes {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
};

struct MemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto *reader = static_cast<MemoryReader *>(png_get_io_ptr(png));
    if (count > reader->bytes.size() - reader->at)
        png_error(png, "read past the end of the data");
    std::memcpy(out, reader->bytes.data() + reader->at, count);
    reader->at += count;
}

Indexes prepareIndexes(std::span<const std::uint8_t> bytes)
{
    Indexes out;
    if (bytes.size() < 24)
        return out;
    auto bigEndian = [&](std::size_t at) {
        return (std::uint32_t(bytes[at]) << 24) | (std::uint32_t(bytes[at + 1]) << 16) |
               (std::uint32_t(bytes[at + 2]) << 8) | bytes[at + 3];
    };
    out.width = bigEndian(16);
    out.height = bigEndian(20);
    out.pixels.resize(std::size_t(out.width) * out.height);
    for (std::uint32_t y = 0; y < out.height; ++y)
        out.rows.push_back(out.pixels.data() + std::size_t(y) * out.width);
    return out;
}

// libpng with no transformations: 8-bit sheets come out as one palette index per byte.
bool libpngDecode(std::span<const std::uint8_t> bytes, Indexes &out)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{bytes, 0};
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, readFromMemory);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != out.width || png_get_image_height(png, info) != out.height ||
        png_get_bit_depth(png, info) != 8 || png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE)
        png_error(png, "not the 8-bit palette image the buffer was made for");
    png_read_image(png, out.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void ours(benchmark::State &state, Sheet sheet)
{
    for (auto _ : state) {
        HBITMAP bitmap = decodePngResource(sheet.id, nullptr);
        if (!bitmap) {
            state.SkipWithError("decodePngResource failed");
            break;
        }
        DeleteObject(bitmap);
    }
}

void libpng(benchmark::State &state, Sheet sheet)
{
    auto bytes = resourceBytes(sheet.id);
    Indexes out = prepareIndexes(bytes);
    for (auto _ : state) {
        if (!libpngDecode(bytes, out)) {
            state.SkipWithError("libpng failed");
            break;
        }
        benchmark::DoNotOptimize(out.pixels.data());
        benchmark::ClobberMemory();
    }
}

// What the program does before its first frame: every sheet decoded and masked.
void startUp(benchmark::State &state)
{
    HBITMAP images[std::size(kSheets)], masks[std::size(kSheets)];
    for (auto _ : state) {
        for (std::size_t i = 0; i < std::size(kSheets); ++i) {
            images[i] = decodePngResource(kSheets[i].id, nullptr);
            masks[i] = makeColourKeyMask(images[i], kSheets[i].key);
        }
        state.PauseTiming();
        for (std::size_t i = 0; i < std::size(kSheets); ++i) {
            if (!images[i] || !masks[i])
                state.SkipWithError("a sheet failed to load");
            DeleteObject(masks[i]);
            DeleteObject(images[i]);
        }
        state.ResumeTiming();
    }
}

// The console output as usual, plus each run kept for the closing table.
class TableReporter : public benchmark::ConsoleReporter {
public:
    explicit TableReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            // With --benchmark_repetitions the fastest repetition stands for the benchmark;
            // otherwise the one run.
            bool fastest = run.run_type == Run::RT_Aggregate && run.aggregate_name == "min";
            if (run.run_type == Run::RT_Iteration || fastest) {
                std::string name = run.run_name.str();
                if (fastest || !fromFastest_.count(name))
                    micros_[name] = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
                if (fastest)
                    fromFastest_.insert(name);
            }
        }
    }

    void printTable() const
    {
        std::printf("\n%-26s %12s %12s %8s\n", "sheet", "ours (us)", "libpng (us)", "ratio");
        for (const Sheet &sheet : kSheets) {
            auto o = micros_.find("decode/" + label(sheet) + "/ours");
            auto l = micros_.find("decode/" + label(sheet) + "/libpng");
            if (o == micros_.end() || l == micros_.end())
                continue;
            std::printf("%-26s %12.1f %12.1f %8.2f\n", label(sheet).c_str(), o->second, l->second,
                        o->second / l->second);
        }
        auto s = micros_.find("startup/all_sheets_decoded_and_masked");
        if (s != micros_.end())
            std::printf("\nstart-up, 13 sheets decoded and masked: %.2f ms (goal: under 5 ms)\n", s->second / 1000);
    }

private:
    std::map<std::string, double> micros_;
    std::set<std::string> fromFastest_;
};

double fastest(const std::vector<double> &times)
{
    return *std::min_element(times.begin(), times.end());
}

} // namespace

int main(int argc, char **argv)
{
    headless::start(headless::Config{}, nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (const Sheet &sheet : kSheets) {
        benchmark::RegisterBenchmark(("decode/" + label(sheet) + "/ours").c_str(), ours, sheet)
            ->Unit(benchmark::kMicrosecond)
            ->ComputeStatistics("min", fastest);
        benchmark::RegisterBenchmark(("decode/" + label(sheet) + "/libpng").c_str(), libpng, sheet)
            ->Unit(benchmark::kMicrosecond)
            ->ComputeStatistics("min", fastest);
    }
    benchmark::RegisterBenchmark("startup/all_sheets_decoded_and_masked", startUp)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", fastest);

    // Colours only on a terminal, so the output can be saved as text.
    TableReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_Defaults
                                                  : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable();
    benchmark::Shutdown();
    return 0;
}
