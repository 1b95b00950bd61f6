// The GDI work the show does, a line a case: its name, the size and depth of the bitmap drawn on
// and a hash of its pixels as GetPixel reads them; the same under Wine and on our layer.
// `gdi_probe NAME` prints that case's pixels instead, a row a line. Colour bitmaps are made
// compatible with a 32-bit memory DC, so the probe draws the same whatever the display's depth.
#include <windows.h>

#ifndef _WIN32
#include "../../platform/headless/headless.h"
#endif

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlack = 0, kWhite = RGB(255, 255, 255);
// Each key, colours one step from it in every channel, and colours that are neither.
const std::vector<COLORREF> kNearKeys = {kRed,          kGreen,         RGB(254, 0, 0),   RGB(255, 1, 0),
                                         RGB(255, 0, 1), RGB(1, 255, 0), RGB(0, 254, 0),   RGB(0, 255, 1),
                                         kBlack,         kWhite,         RGB(255, 255, 0), RGB(0, 0, 255),
                                         RGB(255, 0, 255), RGB(128, 0, 0)};

const char *dumpedCase = nullptr;
std::uint32_t randomState = 1;

// A reproducible stream of numbers, drawn in the same order by both builds.
std::uint32_t random()
{
    randomState = randomState * 1664525u + 1013904223u;
    return randomState >> 8;
}

// A memory DC holding a bitmap; both go with it.
struct Canvas {
    HBITMAP bitmap;
    HDC dc = CreateCompatibleDC(nullptr);
    explicit Canvas(HBITMAP bitmap) : bitmap(bitmap) { SelectObject(dc, bitmap); }
    Canvas(const Canvas &) = delete;
    ~Canvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

HDC colourReference()
{
    static Canvas reference(CreateBitmap(1, 1, 1, 32, nullptr));
    return reference.dc;
}

void report(const std::string &name, const Canvas &canvas)
{
    BITMAP size{};
    GetObjectA(canvas.bitmap, sizeof size, &size);
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < size.bmHeight; ++y) {
        for (int x = 0; x < size.bmWidth; ++x) {
            COLORREF pixel = GetPixel(canvas.dc, x, y);
            for (int shift = 0; shift < 32; shift += 8)
                hash = (hash ^ ((pixel >> shift) & 0xFF)) * 1099511628211ull;
            if (dumpedCase && name == dumpedCase)
                std::printf("%06lx%c", static_cast<unsigned long>(pixel), x + 1 < size.bmWidth ? ' ' : '\n');
        }
    }
    if (!dumpedCase)
        std::printf("%s %ldx%ldx%d %016llx\n", name.c_str(), static_cast<long>(size.bmWidth),
                    static_cast<long>(size.bmHeight), int(size.bmBitsPixel), static_cast<unsigned long long>(hash));
}

// `given` repeated to `count` entries, then random colours to 256.
std::vector<COLORREF> palette(const std::vector<COLORREF> &given, std::size_t count)
{
    std::vector<COLORREF> colours;
    for (std::size_t i = 0; i < 256; ++i)
        colours.push_back(i < count ? given[i % given.size()] : random() & 0xFFFFFF);
    return colours;
}

// A device-independent bitmap with a colour table, made as the PNG decoder makes its bitmaps: the
// header says `used` entries are used; the bits are random, or bytes 0, 1, 2... with `ramp`.
HBITMAP dib(HDC dc, int width, int height, int depth, const std::vector<COLORREF> &colours, DWORD used = 0,
            bool ramp = false)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } info{{sizeof(BITMAPINFOHEADER), width, height, 1, WORD(depth), BI_RGB, 0, 0, 0, used, 0}, {}};
    for (std::size_t i = 0; i < 256; ++i)
        info.table[i] = RGBQUAD{GetBValue(colours[i]), GetGValue(colours[i]), GetRValue(colours[i]), 0};
    std::size_t rows = std::size_t(height < 0 ? -height : height);
    std::vector<std::uint8_t> bits((std::size_t(width) * depth + 31) / 32 * 4 * rows);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = std::uint8_t(ramp ? i : random());
    return CreateDIBitmap(dc, &info.header, CBM_INIT, bits.data(), reinterpret_cast<const BITMAPINFO *>(&info),
                         DIB_RGB_COLORS);
}

// A colour picture, half its pixels of the colours given; or random monochrome bits.
HBITMAP picture(bool mono, int width, int height, const std::vector<COLORREF> &colours)
{
    if (!mono)
        return dib(colourReference(), width, height, 8, palette(colours, 128));
    std::vector<std::uint8_t> bits(std::size_t((width + 15) / 16) * 2 * std::size_t(height));
    for (std::uint8_t &byte : bits)
        byte = std::uint8_t(random());
    return CreateBitmap(width, height, 1, 1, bits.data());
}

const std::vector<COLORREF> kSceneColours = {kRed, kGreen, RGB(12, 34, 56), kWhite, kBlack, RGB(250, 200, 0), 1};

// 1, 4 and 8-bit DIBs of odd widths both ways up, to colour and to monochrome; short colour
// tables; and where every grey and some mixed colours turn black or white.
void dibConversion()
{
    for (int depth : {1, 4, 8}) {
        for (int width : {1, 3, 7, 9, 13, 33}) {
            for (int height : {3, -3}) {
                std::string name = "dib." + std::to_string(depth) + "bit.w" + std::to_string(width) +
                                   (height > 0 ? ".bottom-up" : ".top-down");
                for (HDC dc : {colourReference(), HDC(nullptr)}) {
                    Canvas converted(dib(dc, width, height, depth, palette({}, 0)));
                    report(name + (dc ? ".colour" : ".mono"), converted);
                }
            }
        }
        Canvas shortTable(dib(colourReference(), 11, 4, depth, palette({}, 0), depth == 1 ? 1 : 3));
        report("dib." + std::to_string(depth) + "bit.short-table", shortTable);
    }
    std::vector<COLORREF> greys;
    for (int i = 0; i < 256; ++i)
        greys.push_back(RGB(i, i, i));
    Canvas greyMono(dib(nullptr, 16, 16, 8, greys, 0, true));
    report("dib.greys.mono", greyMono);
    std::vector<COLORREF> mixed = kNearKeys;
    mixed.insert(mixed.end(), {RGB(128, 128, 127), RGB(127, 128, 128), RGB(0, 255, 255), RGB(60, 60, 60)});
    Canvas mixedMono(dib(nullptr, 16, 16, 8, palette(mixed, mixed.size()), 0, true));
    report("dib.colours.mono", mixedMono);
}

// What the program does to a sheet: a mask of where the key is, and the key blackened.
void maskAndBlacken(const Canvas &image, const Canvas &mask, int width, int height, COLORREF key)
{
    SetBkColor(image.dc, key);
    BitBlt(mask.dc, 0, 0, width, height, image.dc, 0, 0, SRCCOPY);
    SetBkColor(image.dc, kBlack);
    SetTextColor(image.dc, kWhite);
    BitBlt(image.dc, 0, 0, width, height, mask.dc, 0, 0, SRCAND);
}

void masks()
{
    for (COLORREF key : {kRed, kGreen}) {
        std::string name = key == kRed ? "mask.red" : "mask.green";
        Canvas image(picture(false, 37, 11, kNearKeys)), mask(CreateBitmap(37, 11, 1, 1, nullptr));
        maskAndBlacken(image, mask, 37, 11, key);
        report(name + ".mask", mask);
        report(name + ".image", image);
    }
}

struct DcColours {
    const char *name;
    COLORREF sourceBackground, sourceText, background, text;
};

// SRCCOPY, SRCAND and SRCPAINT in every direction between colour and monochrome, with a new DC's
// colours, the program's (the key, black and white) and two sets where every colour is another,
// so that a colour taken from the wrong DC shows; then clipping against both bitmaps.
void transfers()
{
    const DcColours colourSets[] = {
        {"default", kWhite, kBlack, kWhite, kBlack},
        {"program", kRed, kBlack, kBlack, kWhite},
        {"green", kGreen, RGB(250, 200, 0), RGB(0, 0, 255), RGB(250, 200, 0)},
        {"crossed", RGB(12, 34, 56), kRed, RGB(250, 200, 0), RGB(0, 128, 255)},
    };
    const struct {
        const char *name;
        DWORD code;
    } rops[] = {{"copy", SRCCOPY}, {"and", SRCAND}, {"paint", SRCPAINT}};
    const struct {
        const char *name;
        int x, y, width, height, sourceX, sourceY;
    } clips[] = {
        {"negative-destination", -5, -3, 20, 8, 2, 1},
        {"past-destination", 15, 6, 20, 8, 0, 0},
        {"far-destination", 100000, 0, 10, 10, 0, 0},
        {"far-negative-destination", -100000, -100000, 100010, 100004, 0, 0},
        {"negative-source", 2, 1, 20, 8, -4, -2},
        {"past-source", 0, 0, 20, 8, 15, 5},
        {"far-source", 0, 0, 10, 10, 100000, 0},
        {"far-negative-source", 0, 0, 100010, 100004, -100000, -100000},
        {"both-negative", -3, -1, 20, 8, -2, -3},
        {"huge-size", 4, 2, 1 << 20, 1 << 20, 3, 1},
        {"whole-source-beyond", 0, 0, 8, 4, 19, 0},
    };
    for (int direction = 0; direction < 4; ++direction) {
        bool fromMono = direction & 1, toMono = direction & 2;
        std::string way = std::string(fromMono ? "mono" : "colour") + "-to-" + (toMono ? "mono" : "colour");
        auto blt = [&](const std::string &name, int width, int height, const DcColours &colours, int x, int y, int w,
                       int h, int sourceX, int sourceY, DWORD rop) {
            Canvas source(picture(fromMono, width, height, kSceneColours)),
                destination(picture(toMono, width + 4, height + 2, kSceneColours));
            SetBkColor(source.dc, colours.sourceBackground);
            SetTextColor(source.dc, colours.sourceText);
            SetBkColor(destination.dc, colours.background);
            SetTextColor(destination.dc, colours.text);
            BitBlt(destination.dc, x, y, w, h, source.dc, sourceX, sourceY, rop);
            report(name, destination);
        };
        for (const auto &rop : rops)
            for (const DcColours &colours : colourSets)
                blt("blt." + way + "." + rop.name + "." + colours.name, 41, 9, colours, 3, 1, 33, 7, 5, 2, rop.code);
        for (const auto &c : clips)
            for (const auto &rop : {rops[0], rops[1]})
                blt("clip." + way + "." + c.name + "." + rop.name, 19, 7, {"", kRed, kBlack, kWhite, kBlack}, c.x,
                    c.y, c.width, c.height, c.sourceX, c.sourceY, rop.code);
    }
}

// A GDI object deleted at the end of its scope.
struct Object {
    HGDIOBJ handle;
    ~Object() { DeleteObject(handle); }
};

constexpr COLORREF kOwn = CLR_INVALID; // the DC's own pen and brush

// Rectangle with pens and brushes at and beyond the edges of colour and monochrome bitmaps;
// on monochrome ones with brushes that dither and pens by the DC's background colour.
void rectangles()
{
    const struct {
        const char *name;
        RECT rect;
    } shapes[] = {
        {"inside", {2, 2, 9, 7}},          {"reversed", {9, 7, 2, 2}},        {"off-left-top", {-3, -2, 5, 4}},
        {"off-right-bottom", {18, 5, 30, 14}}, {"whole", {0, 0, 23, 9}},   {"beyond", {-1, -1, 24, 10}},
        {"one-wide", {4, 1, 5, 8}},        {"two-wide", {6, 1, 8, 8}},        {"one-tall", {1, 4, 12, 5}},
        {"two-by-two", {14, 2, 16, 4}},    {"three-by-three", {17, 3, 20, 6}}, {"empty", {5, 1, 5, 8}},
        {"far", {-100000, -100000, 100000, 100000}},
    };
    const struct {
        const char *name;
        bool mono;
        COLORREF pen, brush, background;
    } styles[] = {
        {"colour.stock", false, kOwn, kOwn, kWhite},
        {"colour.grey", false, RGB(192, 192, 192), RGB(192, 192, 192), kWhite},
        {"colour.pen-and-brush", false, RGB(250, 200, 0), RGB(0, 128, 255), kWhite},
        {"mono.stock", true, kOwn, kOwn, kWhite},
        {"mono.black-and-white", true, kWhite, kBlack, kWhite},
        {"mono.colours", true, RGB(60, 60, 60), RGB(0, 255, 255), kWhite},
        {"mono.colours-on-their-background", true, RGB(60, 60, 60), RGB(0, 255, 255), RGB(0, 255, 255)},
        {"mono.colours-on-black", true, RGB(200, 200, 200), RGB(0, 0, 255), kBlack},
        {"mono.light-pen-on-white", true, RGB(200, 200, 200), RGB(128, 128, 128), kWhite},
        {"mono.pen-of-the-background", true, RGB(200, 200, 200), RGB(250, 200, 0), RGB(200, 200, 200)},
        {"mono.dark-pen-on-black", true, RGB(60, 60, 60), RGB(250, 200, 0), kBlack},
    };
    for (const auto &style : styles) {
        for (const auto &shape : shapes) {
            Object pen{style.pen == kOwn ? nullptr : CreatePen(PS_SOLID, 1, style.pen)};
            Object brush{style.brush == kOwn ? nullptr : CreateSolidBrush(style.brush)};
            Canvas target(picture(style.mono, 23, 9, kSceneColours));
            if (pen.handle) {
                SelectObject(target.dc, pen.handle);
                SelectObject(target.dc, brush.handle);
            }
            SetBkColor(target.dc, style.background);
            Rectangle(target.dc, shape.rect.left, shape.rect.top, shape.rect.right, shape.rect.bottom);
            report(std::string("rect.") + style.name + "." + shape.name, target);
        }
    }
}

// The show's drawing. A sheet of three 23 x 17 frames, half of it the key, masked as the program
// masks it and drawn over a picture in, across and beyond its edges: the mask ANDed, then the
// image ORed. Then the colour pulse (a brush filling a tint surface, ANDed over the picture) and
// the grey patch the Start button's escape leaves, running off the bottom.
void show()
{
    const struct {
        const char *name;
        int depth;
        COLORREF key;
    } sheets[] = {{"8bit.red", 8, kRed}, {"4bit.red", 4, kRed}, {"8bit.green", 8, kGreen}};
    const POINT places[] = {{10, 10}, {-7, 20}, {85, 50}, {-30, -30}, {40, -5}, {96, 60}, {37, 22}};
    for (const auto &sheet : sheets) {
        std::vector<COLORREF> colours(std::size_t(1) << (sheet.depth - 1), sheet.key);
        colours.insert(colours.end(), kNearKeys.begin(), kNearKeys.end());
        Canvas image(dib(colourReference(), 69, 17, sheet.depth, palette(colours, colours.size()))),
            mask(CreateBitmap(69, 17, 1, 1, nullptr)), scene(picture(false, 97, 61, {kBlack, kWhite, RGB(0, 0, 128)}));
        maskAndBlacken(image, mask, 69, 17, sheet.key);
        for (int i = 0; i < 7; ++i) {
            BitBlt(scene.dc, places[i].x, places[i].y, 23, 17, mask.dc, i % 3 * 23, 0, SRCAND);
            BitBlt(scene.dc, places[i].x, places[i].y, 23, 17, image.dc, i % 3 * 23, 0, SRCPAINT);
        }
        report(std::string("sprite.") + sheet.name, scene);
    }

    Object pulse{CreateSolidBrush(RGB(255, 96, 32))}, grey{CreateSolidBrush(RGB(192, 192, 192))},
        greyPen{CreatePen(PS_SOLID, 1, RGB(192, 192, 192))};
    Canvas scene(picture(false, 53, 31, {kBlack, kWhite}));
    Canvas tint(CreateCompatibleBitmap(scene.dc, 53, 31));
    SelectObject(tint.dc, pulse.handle);
    Rectangle(tint.dc, 0, 0, 53, 31);
    BitBlt(scene.dc, 0, 0, 53, 31, tint.dc, 0, 0, SRCAND);
    report("show.pulse", scene);
    SelectObject(scene.dc, grey.handle);
    SelectObject(scene.dc, greyPen.handle);
    Rectangle(scene.dc, 0, 20, 17, 36);
    report("show.escape-patch", scene);
}

} // namespace

int main(int argc, char **argv)
{
#ifndef _WIN32
    headless::start(headless::Config{}, nullptr);
#endif
    if (argc > 1)
        dumpedCase = argv[1];
    dibConversion();
    masks();
    transfers();
    rectangles();
    show();
    return 0;
}
