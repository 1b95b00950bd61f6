// Pixels of the compositor's pictures of the screen: a picture may lie turned or mirrored (an
// output's transform), and comes in one of a few 32-bit formats.
#pragma once

#include "../core/surface.h"

#include <cstdint>
#include <optional>

namespace wayland {

using win32::Image;

// Transforms take the values of wl_output.transform; the odd ones swap width and height.
inline bool swapsAxes(std::int32_t transform)
{
    return transform & 1;
}

struct BufferPoint {
    int x, y;
};

// Where pixel (x, y) of a width x height view lies in a buffer carrying `transform`.
BufferPoint bufferPoint(std::int32_t transform, int width, int height, int x, int y);

// Reads a shared-memory buffer of `format` (wl_shm's four 8-bit RGB orders) that carries
// `transform` and whose rows run bottom-up when `yInverted`, into the picture the user sees.
// Nothing for another format.
std::optional<Image> imageFromBuffer(const std::uint8_t *data, int width, int height, std::ptrdiff_t stride,
                                     std::uint32_t format, std::int32_t transform, bool yInverted);

// Whether the reader above takes this format, and the one of them a buffer is best made in.
bool readableFormat(std::uint32_t format);

// A rectangle in the compositor's logical units, where outputs are laid out.
struct LogicalRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The part of `desktop`, a picture of the logical rectangle `layout`, that shows `output`,
// resampled (nearest pixel) to width x height pixels.
Image cropToOutput(const Image &desktop, const LogicalRect &layout, const LogicalRect &output, int width,
                   int height);

} // namespace wayland
