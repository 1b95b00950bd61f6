// Does the GDI work the show does, case by case, and prints one line a case: its name, the depth
// of the bitmap it drew on and a hash of that bitmap's pixels as GetPixel reads them. Built for
// Windows (and run under Wine) and against our layer, it must print the same lines in both.
// `gdi_probe NAME` prints that case's pixels instead, one row a line, to see where two runs part.
//
// Nothing here depends on the screen: colour bitmaps are made compatible with a memory DC that
// holds a 32-bit bitmap, so the probe draws the same whatever depth the display has.
#include <windows.h>

#ifndef _WIN32
#include "../../platform/headless/headless.h"
#endif

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kKeyRed = 0x0000FF, kKeyGreen = 0x00FF00;
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

const char *dumpedCase = nullptr;

// A reproducible stream of numbers for the pictures.
struct Random {
    std::uint32_t state;
    std::uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

struct Canvas {
    HDC dc;
    HBITMAP bitmap;
};

HDC colourReference()
{
    static HDC dc = [] {
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, CreateBitmap(1, 1, 1, 32, nullptr));
        return memory;
    }();
    return dc;
}

Canvas canvasOf(HBITMAP bitmap)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    return {dc, bitmap};
}

void release(const Canvas &canvas)
{
    DeleteDC(canvas.dc);
    DeleteObject(canvas.bitmap);
}

void report(const std::string &name, const Canvas &canvas)
{
    BITMAP size{};
    GetObjectA(canvas.bitmap, sizeof size, &size);
    bool dumping = dumpedCase && name == dumpedCase;
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < size.bmHeight; ++y) {
        for (int x = 0; x < size.bmWidth; ++x) {
            COLORREF pixel = GetPixel(canvas.dc, x, y);
            for (int shift = 0; shift < 32; shift += 8)
                hash = (hash ^ ((pixel >> shift) & 0xFF)) * 1099511628211ull;
            if (dumping)
                std::printf("%06lx%c", static_cast<unsigned long>(pixel), x + 1 < size.bmWidth ? ' ' : '\n');
        }
    }
    if (!dumpedCase)
        std::printf("%s %ldx%ldx%d %016llx\n", name.c_str(), static_cast<long>(size.bmWidth),
                    static_cast<long>(size.bmHeight), int(size.bmBitsPixel), static_cast<unsigned long long>(hash));
}

// A device-independent bitmap with a colour table, as the PNG decoder hands to CreateDIBitmap.
struct Dib {
    struct Info {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } info;
    std::vector<std::uint8_t> bits;

    // Random bits; the table holds `colours`, of which the header says `used` are used.
    Dib(int width, int height, int depth, const std::vector<COLORREF> &colours, std::uint32_t seed, DWORD used = 0)
        : info{{sizeof(BITMAPINFOHEADER), width, height, 1, WORD(depth), BI_RGB, 0, 0, 0, used, 0}, {}}
    {
        for (std::size_t i = 0; i < colours.size() && i < 256; ++i)
            info.table[i] = RGBQUAD{GetBValue(colours[i]), GetGValue(colours[i]), GetRValue(colours[i]), 0};
        int rows = height < 0 ? -height : height;
        bits.resize(((std::size_t(width) * depth + 31) / 32) * 4 * std::size_t(rows));
        Random random{seed};
        for (std::uint8_t &byte : bits)
            byte = std::uint8_t(random.next());
    }

    HBITMAP make(HDC dc) const
    {
        return CreateDIBitmap(dc, &info.header, CBM_INIT, bits.data(), reinterpret_cast<const BITMAPINFO *>(&info),
                              DIB_RGB_COLORS);
    }
};

// A palette of n colours: the ones given first, then reproducible random ones.
std::vector<COLORREF> palette(std::vector<COLORREF> colours, std::size_t n, std::uint32_t seed)
{
    Random random{seed};
    while (colours.size() < n)
        colours.push_back(random.next() & 0xFFFFFF);
    return colours;
}

// A colour picture, half its pixels of the colours given and half of random ones.
HBITMAP picture(int width, int height, const std::vector<COLORREF> &colours, std::uint32_t seed)
{
    Dib dib(width, height, 8, palette(colours, 256, seed), seed);
    for (std::uint8_t &index : dib.bits)
        if (index < 128)
            index = std::uint8_t(index % colours.size());
    return dib.make(colourReference());
}

HBITMAP monoPicture(int width, int height, std::uint32_t seed)
{
    std::vector<std::uint8_t> bits(std::size_t((width + 15) / 16) * 2 * std::size_t(height));
    Random random{seed};
    for (std::uint8_t &byte : bits)
        byte = std::uint8_t(random.next());
    return CreateBitmap(width, height, 1, 1, bits.data());
}

// --- DIB conversion ------------------------------------------------------------------------

void dibConversion()
{
    std::vector<COLORREF> greys;
    for (int i = 0; i < 256; ++i)
        greys.push_back(RGB(i, i, i));
    std::uint32_t seed = 1;
    for (int depth : {1, 4, 8}) {
        for (int width : {1, 3, 7, 9, 13, 33}) {
            for (int height : {3, -3}) {
                Dib dib(width, height, depth, palette({}, 256, seed), seed);
                ++seed;
                std::string name = "dib." + std::to_string(depth) + "bit.w" + std::to_string(width) +
                                   (height > 0 ? ".bottom-up" : ".top-down");
                Canvas colour = canvasOf(dib.make(colourReference()));
                report(name + ".colour", colour);
                Canvas mono = canvasOf(dib.make(nullptr));
                report(name + ".mono", mono);
                release(colour);
                release(mono);
            }
        }
        // Indices past a short colour table.
        Dib shortTable(11, 4, depth, palette({}, 256, seed), seed, depth == 1 ? 1 : 3);
        Canvas canvas = canvasOf(shortTable.make(colourReference()));
        report("dib." + std::to_string(depth) + "bit.short-table", canvas);
        release(canvas);
    }
    // Where colours turn black or white on a monochrome bitmap: every grey, then mixed colours.
    Dib grey(16, 16, 8, greys, 0);
    for (std::size_t i = 0; i < grey.bits.size(); ++i)
        grey.bits[i] = std::uint8_t(i);
    Canvas greyMono = canvasOf(grey.make(nullptr));
    report("dib.greys.mono", greyMono);
    release(greyMono);
    Dib mixed(16, 16, 8,
              palette({kKeyRed, kKeyGreen, RGB(0, 0, 255), RGB(128, 128, 127), RGB(127, 128, 128), RGB(255, 255, 0),
                       RGB(0, 255, 255), RGB(60, 60, 60), RGB(200, 200, 200)},
                      256, 77),
              0);
    for (std::size_t i = 0; i < mixed.bits.size(); ++i)
        mixed.bits[i] = std::uint8_t(i);
    Canvas mixedMono = canvasOf(mixed.make(nullptr));
    report("dib.colours.mono", mixedMono);
    release(mixedMono);
}

// --- colour-key masks ----------------------------------------------------------------------

// What the program does to a sheet: returns a mask of where the key is, and blackens the key.
Canvas maskAndBlacken(const Canvas &image, int width, int height, COLORREF key)
{
    Canvas mask = canvasOf(CreateBitmap(width, height, 1, 1, nullptr));
    SetBkColor(image.dc, key);
    BitBlt(mask.dc, 0, 0, width, height, image.dc, 0, 0, SRCCOPY);
    SetBkColor(image.dc, kBlack);
    SetTextColor(image.dc, kWhite);
    BitBlt(image.dc, 0, 0, width, height, mask.dc, 0, 0, SRCAND);
    return mask;
}

// Colours one step from each key in every channel, and each key's neighbours.
const std::vector<COLORREF> kNearKeys = {
    kKeyRed,        kKeyGreen, RGB(254, 0, 0), RGB(255, 1, 0),   RGB(255, 0, 1), RGB(1, 255, 0),   RGB(0, 254, 0),
    RGB(0, 255, 1), kBlack,    kWhite,         RGB(255, 255, 0), RGB(0, 0, 255), RGB(255, 0, 255), RGB(128, 0, 0),
};

void masks()
{
    for (COLORREF key : {kKeyRed, kKeyGreen}) {
        std::string name = key == kKeyRed ? "mask.red" : "mask.green";
        Canvas image = canvasOf(picture(37, 11, kNearKeys, 5));
        Canvas mask = maskAndBlacken(image, 37, 11, key);
        report(name + ".mask", mask);
        report(name + ".image", image);
        release(mask);
        release(image);
    }
}

// --- SRCCOPY, SRCAND and SRCPAINT between colour and monochrome ------------------------------

struct DcColours {
    const char *name;
    COLORREF sourceBackground, sourceText, background, text;
};

// The new DC's colours; the mask's (the key, then black and white); and two sets where every
// colour is another, so that a colour taken from the wrong DC shows.
const DcColours kColourSets[] = {
    {"default", kWhite, kBlack, kWhite, kBlack},
    {"program", kKeyRed, kBlack, kBlack, kWhite},
    {"green", kKeyGreen, RGB(250, 200, 0), RGB(0, 0, 255), RGB(250, 200, 0)},
    {"crossed", RGB(12, 34, 56), kKeyRed, RGB(250, 200, 0), RGB(0, 128, 255)},
};

const struct {
    const char *name;
    DWORD code;
} kRops[] = {{"copy", SRCCOPY}, {"and", SRCAND}, {"paint", SRCPAINT}};

Canvas canvas(bool mono, int width, int height, std::uint32_t seed)
{
    if (mono)
        return canvasOf(monoPicture(width, height, seed));
    return canvasOf(picture(
        width, height, {kKeyRed, kKeyGreen, RGB(12, 34, 56), kWhite, kBlack, RGB(250, 200, 0), RGB(1, 2, 3)}, seed));
}

void transfers()
{
    std::uint32_t seed = 100;
    for (int direction = 0; direction < 4; ++direction) {
        bool fromMono = direction & 1, toMono = direction & 2;
        std::string way = std::string(fromMono ? "mono" : "colour") + "-to-" + (toMono ? "mono" : "colour");
        for (const auto &rop : kRops) {
            for (const DcColours &colours : kColourSets) {
                Canvas source = canvas(fromMono, 41, 9, seed++), destination = canvas(toMono, 45, 11, seed++);
                SetBkColor(source.dc, colours.sourceBackground);
                SetTextColor(source.dc, colours.sourceText);
                SetBkColor(destination.dc, colours.background);
                SetTextColor(destination.dc, colours.text);
                BitBlt(destination.dc, 3, 1, 33, 7, source.dc, 5, 2, rop.code);
                report("blt." + way + "." + rop.name + "." + colours.name, destination);
                release(source);
                release(destination);
            }
        }
    }
}

// --- clipping ------------------------------------------------------------------------------

void clipping()
{
    const struct {
        const char *name;
        int x, y, width, height, sourceX, sourceY;
    } cases[] = {
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
    std::uint32_t seed = 500;
    for (int direction = 0; direction < 4; ++direction) {
        bool fromMono = direction & 1, toMono = direction & 2;
        std::string way = std::string(fromMono ? "mono" : "colour") + "-to-" + (toMono ? "mono" : "colour");
        for (const auto &c : cases) {
            for (DWORD rop : {SRCCOPY, SRCAND}) {
                Canvas source = canvas(fromMono, 19, 7, seed++), destination = canvas(toMono, 23, 9, seed++);
                SetBkColor(source.dc, kKeyRed);
                BitBlt(destination.dc, c.x, c.y, c.width, c.height, source.dc, c.sourceX, c.sourceY, rop);
                report("clip." + way + "." + c.name + (rop == SRCAND ? ".and" : ".copy"), destination);
                release(source);
                release(destination);
            }
        }
    }
}

// --- Rectangle -----------------------------------------------------------------------------

void rectangles()
{
    const struct {
        const char *name;
        RECT rect;
    } shapes[] = {
        {"inside", {2, 2, 9, 7}},
        {"reversed", {9, 7, 2, 2}},
        {"off-left-top", {-3, -2, 5, 4}},
        {"off-right-bottom", {18, 5, 30, 14}},
        {"whole", {0, 0, 23, 9}},
        {"beyond", {-1, -1, 24, 10}},
        {"one-wide", {4, 1, 5, 8}},
        {"two-wide", {6, 1, 8, 8}},
        {"one-tall", {1, 4, 12, 5}},
        {"two-by-two", {14, 2, 16, 4}},
        {"three-by-three", {17, 3, 20, 6}},
        {"empty", {5, 1, 5, 8}},
        {"far", {-100000, -100000, 100000, 100000}},
    };
    const struct {
        const char *name;
        bool mono;
        COLORREF pen, brush, background;
        bool stock;
    } styles[] = {
        {"colour.stock", false, 0, 0, kWhite, true},
        {"colour.grey", false, RGB(192, 192, 192), RGB(192, 192, 192), kWhite, false},
        {"colour.pen-and-brush", false, RGB(250, 200, 0), RGB(0, 128, 255), kWhite, false},
        {"mono.stock", true, 0, 0, kWhite, true},
        {"mono.black-and-white", true, kWhite, kBlack, kWhite, false},
        {"mono.colours", true, RGB(60, 60, 60), RGB(0, 255, 255), kWhite, false},
        {"mono.colours-on-their-background", true, RGB(60, 60, 60), RGB(0, 255, 255), RGB(0, 255, 255), false},
        {"mono.colours-on-black", true, RGB(200, 200, 200), RGB(0, 0, 255), kBlack, false},
        {"mono.light-pen-on-white", true, RGB(200, 200, 200), RGB(128, 128, 128), kWhite, false},
        {"mono.pen-of-the-background", true, RGB(200, 200, 200), RGB(250, 200, 0), RGB(200, 200, 200), false},
        {"mono.dark-pen-on-black", true, RGB(60, 60, 60), RGB(250, 200, 0), kBlack, false},
    };
    std::uint32_t seed = 900;
    for (const auto &style : styles) {
        for (const auto &shape : shapes) {
            Canvas target = canvas(style.mono, 23, 9, seed++);
            HPEN pen = style.stock ? nullptr : CreatePen(PS_SOLID, 1, style.pen);
            HBRUSH brush = style.stock ? nullptr : CreateSolidBrush(style.brush);
            HGDIOBJ keptPen = pen ? SelectObject(target.dc, pen) : nullptr;
            HGDIOBJ keptBrush = brush ? SelectObject(target.dc, brush) : nullptr;
            SetBkColor(target.dc, style.background);
            Rectangle(target.dc, shape.rect.left, shape.rect.top, shape.rect.right, shape.rect.bottom);
            report(std::string("rect.") + style.name + "." + shape.name, target);
            if (pen) {
                SelectObject(target.dc, keptPen);
                SelectObject(target.dc, keptBrush);
                DeleteObject(pen);
                DeleteObject(brush);
            }
            release(target);
        }
    }
}

// --- the show's drawing ----------------------------------------------------------------------

// A sheet of three 23 x 17 frames keyed on `key`, masked as the program masks it, drawn over a
// picture at places in, across and beyond its edges: the mask ANDed, then the image ORed.
void sprites()
{
    const struct {
        const char *name;
        int depth;
        COLORREF key;
    } sheets[] = {{"8bit.red", 8, kKeyRed}, {"4bit.red", 4, kKeyRed}, {"8bit.green", 8, kKeyGreen}};
    const POINT places[] = {{10, 10}, {-7, 20}, {85, 50}, {-30, -30}, {40, -5}, {96, 60}, {37, 22}};
    std::uint32_t seed = 1300;
    for (const auto &sheet : sheets) {
        std::vector<COLORREF> colours = kNearKeys;
        // The key fills most of the sheet, as it fills the space around a sprite.
        colours.insert(colours.begin(), 4, sheet.key);
        Dib dib(69, 17, sheet.depth, palette(colours, std::size_t(1) << sheet.depth, seed), seed);
        Canvas image = canvasOf(dib.make(colourReference()));
        Canvas mask = maskAndBlacken(image, 69, 17, sheet.key);
        Canvas scene = canvasOf(picture(97, 61, {kBlack, kWhite, RGB(0, 0, 128)}, seed + 1));
        seed += 2;
        int frame = 0;
        for (POINT at : places) {
            BitBlt(scene.dc, at.x, at.y, 23, 17, mask.dc, frame * 23, 0, SRCAND);
            BitBlt(scene.dc, at.x, at.y, 23, 17, image.dc, frame * 23, 0, SRCPAINT);
            frame = (frame + 1) % 3;
        }
        report(std::string("sprite.") + sheet.name, scene);
        release(scene);
        release(mask);
        release(image);
    }
}

// The colour pulse (a brush filling a tint surface, ANDed over the picture) and the patch the
// Start button's escape leaves, a grey rectangle running off the bottom.
void effects()
{
    Canvas scene = canvasOf(picture(53, 31, {kBlack, kWhite}, 1400));
    Canvas tint = canvasOf(CreateCompatibleBitmap(scene.dc, 53, 31));
    HBRUSH pulse = CreateSolidBrush(RGB(255, 96, 32));
    HGDIOBJ kept = SelectObject(tint.dc, pulse);
    Rectangle(tint.dc, 0, 0, 53, 31);
    BitBlt(scene.dc, 0, 0, 53, 31, tint.dc, 0, 0, SRCAND);
    SelectObject(tint.dc, kept);
    DeleteObject(pulse);
    report("show.pulse", scene);

    HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
    HPEN greyPen = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
    HGDIOBJ keptBrush = SelectObject(scene.dc, grey), keptPen = SelectObject(scene.dc, greyPen);
    Rectangle(scene.dc, 0, 20, 17, 31 + 5);
    SelectObject(scene.dc, keptBrush);
    SelectObject(scene.dc, keptPen);
    DeleteObject(grey);
    DeleteObject(greyPen);
    report("show.escape-patch", scene);
    release(tint);
    release(scene);
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
    clipping();
    rectangles();
    sprites();
    effects();
    return 0;
}
