// The PNG decoder: the sheets' subset decodes pixel for pixel, and whatever the bytes say,
// nothing is read or written out of bounds and each broken image is refused for its own reason.
// Colour-key masks and the two-pass sprite draw at the edges of a strip and a picture; how each
// sheet masks and draws in the show is the Frames tests' business.
#include "../support/pixels.h"
#include "../support/png_writer.h"
#include "../support/res_builder.h"

#include "../../assets/png_decoder_internal.h"
#include "../../assets/sprite.h"
#include "../../platform/core/resources.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

#include <functional>
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

// Black for an entry past the palette's end.
COLORREF paletteColour(const std::vector<std::uint8_t> &palette, int index)
{
    const std::size_t at = std::size_t(index) * 3;
    return at + 2 < palette.size() ? RGB(palette[at], palette[at + 1], palette[at + 2]) : RGB(0, 0, 0);
}

// A width x height image whose pixel (x, y) has index (x * 7 + y * 3) mod colours.
PngImage pattern(int width, int height, int bitDepth = 8)
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

PngImage with(PngImage image, const std::function<void(PngImage &)> &change)
{
    change(image);
    return image;
}

// Every pixel of the bitmap shows the palette colour of the image's pixel.
void expectImage(HBITMAP bitmap, const PngImage &image)
{
    ASSERT_NE(bitmap, nullptr) << int(pngRefusal);
    EXPECT_EQ(pngRefusal, PngRefusal::None);
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
    DeleteObject(bitmap);
}

TEST(Decoder, DecodesEveryLayoutOfTheSubsetPixelForPixel)
{
    std::mt19937 random(7);
    const std::pair<const char *, PngImage> cases[] = {
        // A walk sheet's size, with the gAMA and cHRM chunks that encoders add.
        {"726 x 116 with ancillary chunks", with(pattern(726, 116), [](PngImage &i) { i.ancillary = true; })},
        {"image data in 7-byte chunks", with(pattern(300, 90), [](PngImage &i) { i.idatChunkSize = 7; })},
        // Random pixels barely compress: one IDAT of well over 65,536 bytes.
        {"one IDAT over 64 KiB", with(pattern(1785, 100), [&](PngImage &i) {
             for (auto &pixel : i.pixels)
                 pixel = std::uint8_t(random());
         })},
        {"wrong checksums and every filter", with(pattern(40, 12), [](PngImage &i) {
             i.badCrc = true;
             i.filters = {0, 1, 2, 3, 4, 1, 2, 3, 4, 4, 3, 0};
         })},
        {"4-bit with filters", with(pattern(9, 6, 4), [](PngImage &i) { i.filters = {4, 3, 2, 1, 0, 4}; })},
        // Only the first 16 entries of a 256-entry palette count for a 4-bit image.
        {"4-bit with a long palette", with(pattern(10, 3, 4), [](PngImage &i) { i.palette = testPalette(256); })},
        // A short palette leaves the rest black and reads nothing past it.
        {"a short palette", with(pattern(4, 1), [](PngImage &i) {
             i.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
             i.pixels = {0, 2, 3, 255};
         })},
        // Empty stored blocks make a valid stream far longer than height x (width + 5) + 1.
        {"image data larger than its buffer", with(pattern(4, 4), [](PngImage &i) {
             i.paddingBlocks = 400;
             i.idatChunkSize = 300;
         })},
    };
    for (const auto &[what, image] : cases) {
        SCOPED_TRACE(what);
        expectImage(decode(writePng(image)), image);
    }
    // Row padding of 1 to 3 bytes in the bitmap, for every depth, up to the widest side taken.
    for (int depth : {1, 4, 8}) {
        for (int width : {1, 2, 3, 7, 9, 13, 33, 118, 262, 1785, 16384}) {
            SCOPED_TRACE(testing::Message() << depth << "-bit, " << width << " wide");
            PngImage image = pattern(width, 3, depth);
            expectImage(decode(writePng(image)), image);
            EXPECT_EQ(pngBitDepth, depth);
            EXPECT_EQ(pngPaletteSize, 1 << depth);
        }
    }
}

std::vector<std::uint8_t> changed(const std::function<void(PngImage &)> &change)
{
    return writePng(with(pattern(8, 8), change));
}

TEST(Decoder, EachBrokenImageIsRefusedForItsReason)
{
    auto png = writePng(pattern(8, 8));
    auto badSignature = png;
    badSignature[1] = 'p';
    auto late = png; // the first chunk is not IHDR
    auto gama = pngChunk("gAMA", {0, 0, 0xB1, 0x8F});
    late.insert(late.begin() + 8, gama.begin(), gama.end());
    auto corrupt = png; // bits flipped inside the compressed data
    auto idat = std::size_t(std::search(png.begin(), png.end(), std::begin("IDAT"), std::end("IDAT") - 1) - png.begin());
    for (std::size_t i = 4; i < 14; ++i)
        corrupt[idat + i] ^= 0x5A;
    auto oneShort = png; // a whole stream one byte short of the last row
    auto raw = scanlines(pattern(8, 8));
    raw.pop_back();
    auto shortIdat = pngChunk("IDAT", deflateStream(raw));
    std::size_t idatLength =
        std::size_t(png[idat - 4]) << 24 | png[idat - 3] << 16 | png[idat - 2] << 8 | png[idat - 1];
    oneShort.erase(oneShort.begin() + long(idat) - 4, oneShort.begin() + long(idat + idatLength) + 8);
    oneShort.insert(oneShort.begin() + long(idat) - 4, shortIdat.begin(), shortIdat.end());

    using R = PngRefusal;
    const std::tuple<const char *, std::vector<std::uint8_t>, PngRefusal> cases[] = {
        {"bad signature", badSignature, R::NoSignature},
        {"three bytes", {137, 80, 78}, R::NoSignature},
        {"IHDR not first", late, R::NoHeader},
        {"no width", changed([](PngImage &i) { i.width = 0; }), R::BadSize},
        {"too wide", changed([](PngImage &i) { i.width = 16385; }), R::BadSize},
        {"too tall", changed([](PngImage &i) { i.height = 16385; }), R::BadSize},
        {"truecolour", changed([](PngImage &i) { i.colourType = 2; }), R::UnsupportedFormat},
        {"2-bit", changed([](PngImage &i) { i.bitDepth = 2; }), R::UnsupportedFormat},
        {"16-bit", changed([](PngImage &i) { i.bitDepth = 16; }), R::UnsupportedFormat},
        {"interlaced", changed([](PngImage &i) { i.interlace = 1; }), R::UnsupportedFormat},
        {"no IEND", changed([](PngImage &i) { i.iend = false; }), R::Truncated},
        {"no palette", changed([](PngImage &i) { i.palette.clear(); }), R::NoPalette},
        {"corrupt image data", corrupt, R::BadImageData},
        // A whole stream with fewer rows than the header promises: the rest would be whatever
        // the heap held.
        {"short image data", changed([](PngImage &i) { i.height = 12, i.storedRows = 8; }), R::ShortImageData},
        {"image data one byte short", oneShort, R::ShortImageData},
        {"filter 5", changed([](PngImage &i) { i.filters = {0, 0, 5}; }), R::BadFilter},
    };
    for (const auto &[what, file, reason] : cases) {
        EXPECT_EQ(decode(file), nullptr) << what;
        EXPECT_EQ(pngRefusal, reason) << what;
    }
    resourceFile = ResBuilder().add("PNG", 2, png).bytes();
    win32::useResources(resourceFile);
    EXPECT_EQ(decodePngResource(1, nullptr), nullptr);
    EXPECT_EQ(pngRefusal, R::NoResource);
}

TEST(Decoder, CutOrOverlongFilesAreRefusedWithinTheirBytes)
{
    auto png = writePng(pattern(8, 8));
    // Lengths that run past the end, at every chunk.
    for (std::size_t at = 8; at + 4 <= png.size();) {
        std::uint32_t length = std::uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        auto broken = png;
        broken[at] = 0x7F;
        EXPECT_EQ(decode(broken), nullptr) << "chunk at " << at;
        EXPECT_EQ(pngRefusal, at == 8 ? PngRefusal::NoHeader : PngRefusal::Truncated) << "chunk at " << at;
        at += 12 + length;
    }
    for (std::size_t cut = 0; cut < png.size(); ++cut)
        EXPECT_EQ(decode(std::vector<std::uint8_t>(png.begin(), png.begin() + std::ptrdiff_t(cut))), nullptr) << cut;
}

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
