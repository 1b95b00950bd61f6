// Fuzz target for the sprite-sheet decoder: every input becomes PNG resource 1 of a fresh .res
// image, and the decoder reads it from there exactly as it reads the embedded sheets.
#include "../../assets/png_decoder.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../support/res_builder.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeBytes {
    void operator()(std::uint8_t *p) const { std::free(p); }
};
using Bytes = std::unique_ptr<std::uint8_t, FreeBytes>;

// The installed .res image; it must outlive the decode that reads it.
Bytes installed;

std::uint32_t bigEndian(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void install(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> image = ResBuilder().add("PNG", 1, std::vector<std::uint8_t>(data, data + size)).bytes();
    // The PNG is the last entry: drop the padding after it and copy into a block of exactly that
    // size, so that a read one byte past the resource leaves the heap block and ASan sees it.
    std::size_t used = image.size() - (4 - size % 4) % 4;
    Bytes copy(static_cast<std::uint8_t *>(std::malloc(used)));
    if (!copy)
        std::abort();
    std::memcpy(copy.get(), image.data(), used);
    win32::useResources({copy.get(), used});
    installed = std::move(copy);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool started = [] {
        headless::start(headless::Config{}, nullptr);
        return true;
    }();
    (void)started;

    install(data, size);
    HBITMAP bitmap = decodePngResource(1, nullptr);
    if (!bitmap)
        return 0;

    // A bitmap comes only from a PNG whose first chunk is a full IHDR; it must have that IHDR's
    // size and the screen's 32 bits per pixel.
    BITMAP info{};
    bool matches = size >= 33 && GetObjectA(bitmap, sizeof info, &info) == int(sizeof info) &&
                   std::uint32_t(info.bmWidth) == bigEndian(data + 16) &&
                   std::uint32_t(info.bmHeight) == bigEndian(data + 20) && info.bmBitsPixel == 32;
    if (!matches) {
        std::fprintf(stderr, "decoded bitmap is %ldx%ld at %d bits; the header says %ux%u\n", long(info.bmWidth),
                     long(info.bmHeight), int(info.bmBitsPixel), size >= 24 ? bigEndian(data + 16) : 0,
                     size >= 24 ? bigEndian(data + 20) : 0);
        std::abort();
    }
    DeleteObject(bitmap);
    return 0;
}
