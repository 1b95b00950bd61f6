#include "wayland_pixels.h"

#include <wayland-client-protocol.h>

#include <algorithm>
#include <cstring>

namespace wayland {

BufferPoint bufferPoint(std::int32_t transform, int width, int height, int x, int y)
{
    int right = width - 1 - x, bottom = height - 1 - y;
    switch (transform) {
    case WL_OUTPUT_TRANSFORM_90:
        return {y, right};
    case WL_OUTPUT_TRANSFORM_180:
        return {right, bottom};
    case WL_OUTPUT_TRANSFORM_270:
        return {bottom, x};
    case WL_OUTPUT_TRANSFORM_FLIPPED:
        return {right, y};
    case WL_OUTPUT_TRANSFORM_FLIPPED_90:
        return {y, x};
    case WL_OUTPUT_TRANSFORM_FLIPPED_180:
        return {x, bottom};
    case WL_OUTPUT_TRANSFORM_FLIPPED_270:
        return {bottom, right};
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

RECT bufferRect(std::int32_t transform, int width, int height, const RECT &area)
{
    BufferPoint a = bufferPoint(transform, width, height, area.left, area.top);
    BufferPoint b = bufferPoint(transform, width, height, area.right - 1, area.bottom - 1);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

void copyToBuffer(const win32::Surface &from, const RECT &area, std::uint8_t *to, std::ptrdiff_t stride,
                  std::int32_t transform)
{
    if (transform == WL_OUTPUT_TRANSFORM_NORMAL) {
        std::size_t bytes = std::size_t(area.right - area.left) * 4;
        for (int y = area.top; y < area.bottom; ++y)
            std::memcpy(to + y * stride + area.left * 4, from.pixels(y) + area.left, bytes);
        return;
    }
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t *row = from.pixels(y);
        for (int x = area.left; x < area.right; ++x) {
            BufferPoint at = bufferPoint(transform, from.width, from.height, x, y);
            std::memcpy(to + at.y * stride + std::ptrdiff_t(at.x) * 4, &row[x], 4);
        }
    }
}

RECT changedArea(const win32::Surface &now, const RECT &area, const std::uint8_t *shown, std::ptrdiff_t stride)
{
    RECT box{area.right, area.bottom, area.left, area.top};
    int width = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t *a = now.pixels(y) + area.left;
        const auto *b = reinterpret_cast<const std::uint32_t *>(shown + y * stride) + area.left;
        if (std::memcmp(a, b, std::size_t(width) * 4) == 0)
            continue;
        int left = 0, right = width - 1;
        while (a[left] == b[left])
            ++left;
        while (a[right] == b[right])
            --right;
        box.left = std::min<LONG>(box.left, area.left + left);
        box.right = std::max<LONG>(box.right, area.left + right + 1);
        box.top = std::min<LONG>(box.top, y);
        box.bottom = y + 1;
    }
    return box.left < box.right ? box : RECT{};
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
