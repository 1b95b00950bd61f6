// Desktop pictures for the virtual screen: the built-in one and PNG files.
#include "headless.h"

#include <png.h>

#include <algorithm>
#include <array>
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

std::optional<Image> readPng(const std::string &path, std::string &error)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = png.message;
        return std::nullopt;
    }
    png.format = PNG_FORMAT_BGRA;
    if (png.width == 0 || png.height == 0 || png.width > 16384 || png.height > 16384) {
        png_image_free(&png);
        error = "the picture is larger than 16384 pixels on a side";
        return std::nullopt;
    }
    Image image{int(png.width), int(png.height), std::vector<std::uint32_t>(std::size_t(png.width) * png.height)};
    // Transparent parts of the picture show black, as on a screen.
    png_color black{0, 0, 0};
    if (!png_image_finish_read(&png, &black, image.pixels.data(), 0, nullptr)) {
        error = png.message;
        png_image_free(&png);
        return std::nullopt;
    }
    for (auto &pixel : image.pixels)
        pixel &= 0xFFFFFF;
    return image;
}

} // namespace headless
