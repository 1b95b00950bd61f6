// The seat's cursor images: a resource cursor drawn from its masks, and the theme's arrow. Both
// are made at the output's integer scale, so a cursor stays sharp on a scaled output.
#include "wayland_seat.h"

#include "../core/resources.h"

#include <wayland-cursor.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace wayland {

namespace {

constexpr std::uint32_t kTransparent = 0x00000000, kBlack = 0xFF000000, kWhite = 0xFFFFFFFF;

} // namespace

// The masks' four cases: AND 1 and XOR 0 is transparent, AND 0 shows XOR's black or white; AND 1
// and XOR 1 inverts the screen on Windows, which a cursor surface can't, and shows black.
Seat::CursorImage *Seat::cursorImage(const win32::Cursor &cursor)
{
    if (auto found = cursorImages_.find(&cursor); found != cursorImages_.end())
        return &found->second;
    int scale = overlay_->scale();
    CursorImage image;
    image.pixels = ShmBuffer::create(connection_.globals().shm, cursor.width * scale, cursor.height * scale,
                                     WL_SHM_FORMAT_ARGB8888);
    if (!image.pixels)
        return nullptr;
    for (int y = 0; y < cursor.height * scale; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(image.pixels->data() + y * image.pixels->stride());
        for (int x = 0; x < cursor.width * scale; ++x) {
            std::size_t at = std::size_t(y / scale) * std::size_t(cursor.width) + std::size_t(x / scale);
            bool keep = cursor.andMask[at], white = cursor.xorMask[at];
            row[x] = keep && !white ? kTransparent : !keep && white ? kWhite : kBlack;
        }
    }
    image.hotX = cursor.hotX;
    image.hotY = cursor.hotY;
    image.surface.reset(wl_compositor_create_surface(connection_.globals().compositor));
    wl_surface_set_buffer_scale(image.surface.get(), scale);
    wl_surface_attach(image.surface.get(), image.pixels->buffer(), 0, 0);
    wl_surface_damage_buffer(image.surface.get(), 0, 0, image.pixels->width(), image.pixels->height());
    wl_surface_commit(image.surface.get());
    return &cursorImages_.emplace(&cursor, std::move(image)).first->second;
}

// The arrow of the user's cursor theme (XCURSOR_THEME, XCURSOR_SIZE), or libwayland-cursor's own.
Seat::CursorImage *Seat::arrowImage()
{
    if (arrow_)
        return &*arrow_;
    int scale = overlay_->scale();
    if (!cursorTheme_) {
        const char *size = std::getenv("XCURSOR_SIZE");
        int pixels = size ? std::atoi(size) : 0;
        cursorTheme_ = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), (pixels > 0 ? pixels : 24) * scale,
                                            connection_.globals().shm);
    }
    wl_cursor *cursor = nullptr;
    for (const char *name : {"default", "left_ptr"})
        if (!cursor && cursorTheme_)
            cursor = wl_cursor_theme_get_cursor(cursorTheme_, name);
    if (!cursor || cursor->image_count == 0)
        return nullptr;
    wl_cursor_image *picture = cursor->images[0];
    // A theme without the size asked for gives the nearest, which may not divide by the scale.
    if (picture->width % unsigned(scale) || picture->height % unsigned(scale))
        scale = 1;
    CursorImage image;
    image.hotX = int(picture->hotspot_x) / scale;
    image.hotY = int(picture->hotspot_y) / scale;
    image.surface.reset(wl_compositor_create_surface(connection_.globals().compositor));
    wl_surface_set_buffer_scale(image.surface.get(), scale);
    wl_surface_attach(image.surface.get(), wl_cursor_image_get_buffer(picture), 0, 0);
    wl_surface_damage_buffer(image.surface.get(), 0, 0, int(picture->width), int(picture->height));
    wl_surface_commit(image.surface.get());
    arrow_ = std::move(image);
    return &*arrow_;
}

} // namespace wayland
