// Desktop pictures for the virtual screen: the built-in one and PNG files.
#include "headless.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace headless {

namespace {

constexpr std::uint32_t rgb(int r, int g, int b)
{
    return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

struct Canvas {
    Image &image;
    void fill(int left, int top, int right, int bottom, std::uint32_t colour)
    {
        for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y)
            for (int x = std::max(left, 0); x < std::min(right, image.width); ++x)
                image.pixels[std::size_t(y) * std::size_t(image.width) + std::size_t(x)] = colour;
    }
    // A raised or sunken box outlined in the taskbar's light and shade.
    void bevel(int left, int top, int right, int bottom, bool raised)
    {
        std::uint32_t light = raised ? rgb(255, 255, 255) : rgb(128, 128, 128);
        std::uint32_t shade = raised ? rgb(128, 128, 128) : rgb(255, 255, 255);
        fill(left, top, right, top + 1, light);
        fill(left, top, left + 1, bottom, light);
        fill(left, bottom - 1, right, bottom, shade);
        fill(right - 1, top, right, bottom, shade);
        if (raised) {
            fill(left, bottom, right + 1, bottom + 1, rgb(0, 0, 0));
            fill(right, top, right + 1, bottom + 1, rgb(0, 0, 0));
        }
    }
};

// A few 5 x 7 glyphs, enough for the taskbar's two words.
struct Glyph {
    char c;
    std::array<const char *, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'S', {" ### ", "#   #", "#    ", " ### ", "    #", "#   #", " ### "}},
    {'t', {" #   ", " #   ", "#### ", " #   ", " #   ", " #  #", "  ## "}},
    {'a', {"     ", "     ", " ### ", "    #", " ####", "#   #", " ####"}},
    {'r', {"     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {':', {"     ", "  #  ", "  #  ", "     ", "  #  ", "  #  ", "     "}},
};

void text(Canvas &canvas, int x, int y, const char *s, bool bold)
{
    for (; *s; ++s, x += bold ? 7 : 6) {
        for (const Glyph &g : kGlyphs) {
            if (g.c != *s)
                continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g.rows[std::size_t(row)][col] == '#')
                        canvas.fill(x + col, y + row, x + col + (bold ? 2 : 1), y + row + 1, rgb(0, 0, 0));
        }
    }
}

void desktopIcon(Canvas &canvas, int x, int y, std::uint32_t colour)
{
    canvas.fill(x + 8, y, x + 40, y + 28, rgb(0, 0, 0));
    canvas.fill(x + 9, y + 1, x + 39, y + 27, colour);
    canvas.fill(x + 12, y + 4, x + 36, y + 18, rgb(255, 255, 255));
    canvas.fill(x + 20, y + 28, x + 28, y + 32, rgb(64, 64, 64));
    canvas.fill(x, y + 36, x + 48, y + 44, rgb(255, 255, 255));
}

} // namespace

Image syntheticDesktop(int width, int height)
{
    Image image{width, height, std::vector<std::uint32_t>(std::size_t(width) * std::size_t(height))};
    Canvas canvas{image};
    // Backdrop: a quiet vertical gradient from teal to deep blue.
    for (int y = 0; y < height; ++y) {
        int t = height > 1 ? y * 255 / (height - 1) : 0;
        canvas.fill(0, y, width, y + 1, rgb(0, 128 - t * 64 / 255, 128 + t * 32 / 255));
    }
    desktopIcon(canvas, 16, 16, rgb(255, 220, 96));
    desktopIcon(canvas, 16, 96, rgb(160, 200, 255));
    desktopIcon(canvas, 16, 176, rgb(192, 255, 160));

    // Taskbar: 30 pixels at the bottom, a light line along its top.
    int top = height - 30;
    canvas.fill(0, top, width, height, rgb(192, 192, 192));
    canvas.fill(0, top, width, top + 1, rgb(223, 223, 223));
    canvas.fill(0, top + 1, width, top + 2, rgb(255, 255, 255));

    // Start button in the corner, within the first 58 columns.
    int bx = 2, by = top + 4;
    canvas.bevel(bx, by, bx + 53, by + 22, true);
    canvas.fill(bx + 5, by + 6, bx + 10, by + 11, rgb(224, 48, 32));
    canvas.fill(bx + 11, by + 6, bx + 16, by + 11, rgb(48, 176, 48));
    canvas.fill(bx + 5, by + 12, bx + 10, by + 17, rgb(48, 96, 224));
    canvas.fill(bx + 11, by + 12, bx + 16, by + 17, rgb(240, 200, 32));
    text(canvas, bx + 19, by + 8, "Start", true);

    // Clock at the right.
    canvas.bevel(width - 66, by, width - 4, by + 22, false);
    text(canvas, width - 50, by + 8, "12:00", false);
    return image;
}

namespace {

// libpng reports errors by longjmp; nothing with a destructor lives between setjmp and it.
struct PngFailure {
    char message[128];
};

void pngError(png_structp png, png_const_charp message)
{
    auto *failure = static_cast<PngFailure *>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Reads the header and sets the transforms that give 8-bit BGRA whatever the file holds: 16-bit
// samples keep their high byte, as viewers show them (they are not linear light), and gamma
// chunks are not applied. Only libpng's calls run between setjmp and its longjmp.
bool readHeader(png_structp png, png_infop info, FILE *file, png_uint_32 &width, png_uint_32 &height)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (width > 16384 || height > 16384)
        png_error(png, "the picture is larger than 16384 pixels on a side");
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool readRows(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

} // namespace

std::optional<Image> readPng(const std::string &path, std::string &error)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    PngFailure failure{"not a PNG file"};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_uint_32 width = 0, height = 0;
    Image image;
    bool read = info && readHeader(png, info, file, width, height);
    if (read) {
        image = Image{int(width), int(height), std::vector<std::uint32_t>(std::size_t(width) * height)};
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = reinterpret_cast<png_bytep>(image.pixels.data() + std::size_t(y) * width);
        read = readRows(png, rows.data());
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::fclose(file);
    if (!read) {
        error = failure.message;
        return std::nullopt;
    }
    // Transparent parts of the picture show black, as on a screen: each colour is weighed by
    // its opacity.
    for (auto &pixel : image.pixels) {
        std::uint32_t alpha = pixel >> 24, shown = 0;
        for (int shift = 0; shift < 24; shift += 8)
            shown |= (((pixel >> shift & 0xFF) * alpha + 127) / 255) << shift;
        pixel = shown;
    }
    return image;
}

} // namespace headless
