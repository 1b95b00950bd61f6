// The PNG decoder: the sheets' subset decodes pixel for pixel, and whatever the bytes say,
// nothing is read or written out of bounds and broken images give no bitmap.
#include "../support/pixels.h"
#include "../support/png_writer.h"
#include "../support/res_builder.h"

#include "../../assets/png_decoder.h"
#include "../../platform/core/resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

// Keeps the resource bytes alive while the decoder reads them.
std::vector<std::uint8_t> resourceFile;

HBITMAP decode(const std::vector<std::uint8_t> &png)
{
    resourceFile = ResBuilder().add("PNG", 1, png).bytes();
    win32::useResources(resourceFile);
    return decodePngResource(1, nullptr);
}

COLORREF paletteColour(const std::vector<std::uint8_t> &palette, int index)
{
    return RGB(palette[std::size_t(index) * 3], palette[std::size_t(index) * 3 + 1], palette[std::size_t(index) * 3 + 2]);
}

// A width x height image whose pixel (x, y) has index (x * 7 + y * 3) mod colours.
PngImage pattern(int width, int height, int bitDepth)
{
    PngImage image;
    image.width = width;
    image.height = height;
    image.bitDepth = bitDepth;
    int colours = 1 << bitDepth;
    image.palette = testPalette(colours);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back(std::uint8_t((x * 7 + y * 3) % colours));
    return image;
}

// Every pixel of the bitmap shows the palette colour of the image's pixel.
void expectImage(HBITMAP bitmap, const PngImage &image)
{
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_TRUE(GetObjectA(bitmap, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, image.width);
    EXPECT_EQ(info.bmHeight, image.height);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    int wrong = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            wrong += pixelAt(dc, x, y) != paletteColour(image.palette, image.pixels[std::size_t(y * image.width + x)]);
    EXPECT_EQ(wrong, 0);
    DeleteDC(dc);
}

TEST(Decoder, AWalkSheetSizedImageKeepsItsTopLeftPixel)
{
    PngImage image = pattern(726, 116, 8);
    image.pixels[0] = 200;
    image.ancillary = true;
    HBITMAP bitmap = decode(writePng(image));
    expectImage(bitmap, image);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    EXPECT_EQ(pixelAt(dc, 0, 0), paletteColour(image.palette, 200));
    EXPECT_EQ(pngWidth, 726);
    EXPECT_EQ(pngBitDepth, 8);
    EXPECT_EQ(pngPaletteSize, 256);
}

TEST(Decoder, WidthsWithRowPaddingDecodeWithoutShear)
{
    // Pads of 2 bytes (118 ... 1038) and 3 bytes (1785) at the end of each DIB row.
    for (int width : {118, 262, 426, 570, 726, 1038, 1785, 1, 2, 3}) {
        SCOPED_TRACE(width);
        PngImage image = pattern(width, 5, 8);
        expectImage(decode(writePng(image)), image);
    }
}

TEST(Decoder, OneAndFourBitImages)
{
    for (int depth : {1, 4}) {
        SCOPED_TRACE(depth);
        for (int width : {1, 7, 9, 13, 33}) {
            PngImage image = pattern(width, 3, depth);
            expectImage(decode(writePng(image)), image);
            EXPECT_EQ(pngBitDepth, depth);
            EXPECT_EQ(pngPaletteSize, 1 << depth);
        }
    }
}

TEST(Decoder, SeveralAndLargeImageDataChunksJoinInOrder)
{
    PngImage image = pattern(300, 90, 8);
    image.idatChunkSize = 7;
    expectImage(decode(writePng(image)), image);

    // Random-looking pixels barely compress: one IDAT of well over 65,536 bytes.
    PngImage big = pattern(1785, 100, 8);
    std::mt19937 random(7);
    for (auto &pixel : big.pixels)
        pixel = std::uint8_t(random());
    auto file = writePng(big);
    ASSERT_GT(file.size(), 70000u);
    expectImage(decode(file), big);
}

TEST(Decoder, TheChunkWalkStepsOverEveryChunk)
{
    // A walk sheet's layout: IHDR, gAMA, cHRM, a 256-entry PLTE, 11,578 bytes of IDAT, IEND.
    std::vector<std::uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
    auto add = [&](const char *type, std::size_t length) {
        auto chunk = pngChunk(type, std::vector<std::uint8_t>(length, 0));
        file.insert(file.end(), chunk.begin(), chunk.end());
    };
    add("IHDR", 13);
    add("gAMA", 4);
    add("cHRM", 32);
    add("PLTE", 768);
    add("IDAT", 11578);
    add("IEND", 0);
    ASSERT_EQ(file.size(), 12475u);
    pngResourceSize = std::uint32_t(file.size());
    pngCursor = 8;
    std::vector<std::uint32_t> offsets;
    std::vector<int> kinds;
    for (int i = 0; i < 6; ++i) {
        PngChunk chunk = nextPngChunk(file.data());
        ASSERT_TRUE(chunk.complete);
        offsets.push_back(chunk.dataOffset - 8);
        kinds.push_back(classifyPngChunk(chunk));
    }
    EXPECT_EQ(offsets, (std::vector<std::uint32_t>{8, 33, 49, 93, 873, 12463}));
    EXPECT_EQ(kinds, (std::vector<int>{3, -1, -1, 0, 1, 2}));
    EXPECT_EQ(pngCursor, 12475);
}

TEST(Decoder, WrongChecksumsAndFiltersAreNoObstacle)
{
    PngImage image = pattern(40, 12, 8);
    image.badCrc = true;
    image.filters = {0, 1, 2, 3, 4, 1, 2, 3, 4, 4, 3, 0};
    expectImage(decode(writePng(image)), image);
    PngImage small = pattern(9, 6, 4);
    small.filters = {4, 3, 2, 1, 0, 4};
    expectImage(decode(writePng(small)), small);
}

TEST(Decoder, PalettesLongerOrShorterThanTheDepthNeeds)
{
    // A 4-bit image with a 256-entry palette uses the first 16 entries.
    PngImage image = pattern(10, 3, 4);
    image.palette = testPalette(256);
    expectImage(decode(writePng(image)), image);

    // An 8-bit image with three entries: the rest are black, nothing past the chunk is read.
    PngImage shortPalette = pattern(4, 1, 8);
    shortPalette.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    shortPalette.pixels = {0, 2, 3, 255};
    HBITMAP bitmap = decode(writePng(shortPalette));
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    EXPECT_EQ(pixelAt(dc, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(pixelAt(dc, 1, 0), RGB(70, 80, 90));
    EXPECT_EQ(pixelAt(dc, 2, 0), RGB(0, 0, 0));
    EXPECT_EQ(pixelAt(dc, 3, 0), RGB(0, 0, 0));
}

TEST(Decoder, ImageDataLargerThanItsBufferStillDecodes)
{
    // Empty stored blocks make a valid stream far longer than height x (width + 5) + 1.
    PngImage image = pattern(4, 4, 8);
    image.paddingBlocks = 400;
    image.idatChunkSize = 300;
    expectImage(decode(writePng(image)), image);
}

TEST(Decoder, MissingOrForeignResourcesGiveNoBitmap)
{
    resourceFile = ResBuilder().add("PNG", 2, writePng(pattern(4, 4, 8))).bytes();
    win32::useResources(resourceFile);
    EXPECT_EQ(decodePngResource(1, nullptr), nullptr);
    EXPECT_NE(decodePngResource(2, nullptr), nullptr);

    auto png = writePng(pattern(4, 4, 8));
    auto badSignature = png;
    badSignature[1] = 'p';
    EXPECT_EQ(decode(badSignature), nullptr);
    // The first chunk is not IHDR.
    auto gama = pngChunk("gAMA", {0, 0, 0xB1, 0x8F});
    auto late = png;
    late.insert(late.begin() + 8, gama.begin(), gama.end());
    EXPECT_EQ(decode(late), nullptr);
    EXPECT_EQ(decode({137, 80, 78}), nullptr);
}

TEST(Decoder, BrokenFilesGiveNoBitmapAndStayInBounds)
{
    auto png = writePng(pattern(8, 8, 8));
    // Lengths that run past the end, at every chunk.
    for (std::size_t at = 8; at + 4 <= png.size();) {
        std::uint32_t length = std::uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        auto broken = png;
        broken[at] = 0x7F;
        EXPECT_EQ(decode(broken), nullptr) << "chunk at " << at;
        at += 12 + length;
    }
    // No IEND, and files cut anywhere.
    PngImage noEnd = pattern(8, 8, 8);
    noEnd.iend = false;
    EXPECT_EQ(decode(writePng(noEnd)), nullptr);
    for (std::size_t cut = 0; cut < png.size(); ++cut)
        EXPECT_EQ(decode(std::vector<std::uint8_t>(png.begin(), png.begin() + std::ptrdiff_t(cut))), nullptr) << cut;
}

TEST(Decoder, ImagesItCannotReproduceGiveNoBitmap)
{
    const std::pair<const char *, void (*)(PngImage &)> refused[] = {
        {"truecolour", [](PngImage &i) { i.colourType = 2; }},
        {"2-bit", [](PngImage &i) { i.bitDepth = 2; }},
        {"16-bit", [](PngImage &i) { i.bitDepth = 16; }},
        {"interlaced", [](PngImage &i) { i.interlace = 1; }},
        {"no width", [](PngImage &i) { i.width = 0; }},
        {"too tall", [](PngImage &i) { i.height = 16385; }},
        {"no palette", [](PngImage &i) { i.palette.clear(); }},
        {"filter 5", [](PngImage &i) { i.filters = {0, 0, 5}; }},
    };
    for (const auto &[what, change] : refused) {
        PngImage image = pattern(8, 8, 8);
        change(image);
        EXPECT_EQ(decode(writePng(image)), nullptr) << what;
    }
}

TEST(Decoder, FailedOrShortInflationGivesNoBitmap)
{
    PngImage image = pattern(16, 16, 8);
    auto png = writePng(image);
    // Flip bits inside the compressed data.
    auto idat = std::search(png.begin(), png.end(), std::begin("IDAT"), std::end("IDAT") - 1) - png.begin();
    auto corrupt = png;
    for (int i = 4; i < 14; ++i)
        corrupt[std::size_t(idat + i)] ^= 0x5A;
    EXPECT_EQ(decode(corrupt), nullptr);

    // A complete stream with fewer rows than the header promises.
    PngImage tall = image;
    tall.height = 20;
    auto stream = deflateStream(scanlines(image));
    std::vector<std::uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
    for (auto chunk : {pngChunk("IHDR", {0, 0, 0, 16, 0, 0, 0, 20, 8, 3, 0, 0, 0}), pngChunk("PLTE", image.palette),
                       pngChunk("IDAT", stream), pngChunk("IEND", {})})
        file.insert(file.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(decode(file), nullptr);
}

} // namespace
