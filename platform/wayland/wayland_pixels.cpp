#include "wayland_pixels.h"

#include <wayland-client-protocol.h>

#include <algorithm>
#include <cstring>

namespace wayland {

BufferPoint bufferPoint(std::int32_t transform, int width, int height, int x, int y)
{
    // A flipped transform mirrors the view left to right, then turns it as the unflipped one does.
    if (transform & WL_OUTPUT_TRANSFORM_FLIPPED)
        x = width - 1 - x;
    int right = width - 1 - x, bottom = height - 1 - y;
    switch (transform & ~WL_OUTPUT_TRANSFORM_FLIPPED) {
    case WL_OUTPUT_TRANSFORM_90:
        return {y, right};
    case WL_OUTPUT_TRANSFORM_180:
        return {right, bottom};
    case WL_OUTPUT_TRANSFORM_270:
        return {bottom, x};
    default:
        return {x, y};
    }
}

bool readableFormat(std::uint32_t format)
{
    return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888 ||
           format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

std::optional<Image> imageFromBuffer(const std::uint8_t *data, int width, int height, std::ptrdiff_t stride,
                                     std::uint32_t format, std::int32_t transform, bool yInverted)
{
    if (!readableFormat(format))
        return std::nullopt;
    bool swapRedBlue = format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
    Image image;
    image.width = swapsAxes(transform) ? height : width;
    image.height = swapsAxes(transform) ? width : height;
    image.pixels.resize(std::size_t(image.width) * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        std::uint32_t *out = &image.pixels[std::size_t(y) * std::size_t(image.width)];
        for (int x = 0; x < image.width; ++x) {
            BufferPoint at = bufferPoint(transform, image.width, image.height, x, y);
            int row = yInverted ? height - 1 - at.y : at.y;
            std::uint32_t word;
            std::memcpy(&word, data + row * stride + std::ptrdiff_t(at.x) * 4, 4);
            if (swapRedBlue)
                word = ((word & 0xFF) << 16) | (word & 0xFF00) | ((word >> 16) & 0xFF);
            out[x] = word & 0xFFFFFF;
        }
    }
    return image;
}

Image cropToOutput(const Image &desktop, const LogicalRect &layout, const LogicalRect &output, int width,
                   int height)
{
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * std::size_t(height));
    if (layout.width <= 0 || layout.height <= 0 || desktop.width <= 0 || desktop.height <= 0)
        return image;
    // Pixels of the picture per logical unit, then the output's rectangle in the picture.
    double scaleX = double(desktop.width) / layout.width, scaleY = double(desktop.height) / layout.height;
    double left = (output.x - layout.x) * scaleX, top = (output.y - layout.y) * scaleY;
    double stepX = output.width * scaleX / width, stepY = output.height * scaleY / height;
    for (int y = 0; y < height; ++y) {
        int sourceY = std::clamp(int(top + (y + 0.5) * stepY), 0, desktop.height - 1);
        for (int x = 0; x < width; ++x) {
            int sourceX = std::clamp(int(left + (x + 0.5) * stepX), 0, desktop.width - 1);
            image.pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = desktop.at(sourceX, sourceY);
        }
    }
    return image;
}

} // namespace wayland
