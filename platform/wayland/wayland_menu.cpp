// The Wayland backend's popup menus: a subsurface of the overlay, which behaves alike with and
// without a layer shell and needs no grab. TrackPopupMenu waits on the main thread while the
// events thread hands the menu the pointer and the keys, until an item is chosen or the menu is
// dismissed (Esc, or a press outside it).
#include "wayland_backend.h"

#include "wayland_menu.h"

#include "../core/menus.h"

#include "viewporter-client-protocol.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <linux/input-event-codes.h>

#include <algorithm>

namespace wayland {

namespace {

// The plain list's measures at scale 1, in pixels, and its colours (0x00RRGGBB).
constexpr int kRowHeight = 18, kSeparatorHeight = 9, kTextInset = 20, kMinWidth = 120, kTextSize = 12;
constexpr std::uint32_t kFace = 0xC0C0C0, kLight = 0xFFFFFF, kShadow = 0x808080, kDark = 0x000000,
                        kHighlight = 0x000080, kGreyText = 0x808080;


// One face for every menu, found by fontconfig; none leaves the captions out.
FT_Face menuFace()
{
    static FT_Face face = [] {
        FT_Library library = nullptr;
        FT_Face loaded = nullptr;
        if (FT_Init_FreeType(&library) != 0 || !FcInit())
            return loaded;
        FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("sans-serif"));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcChar8 *file = nullptr;
        if (FcPattern *match = FcFontMatch(nullptr, pattern, &result)) {
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
                FT_New_Face(library, reinterpret_cast<const char *>(file), 0, &loaded);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        return loaded;
    }();
    return face;
}

// Draws `text` with its baseline at y, anti-aliased over what is there; returns its width.
int drawText(const win32::Surface *into, int x, int y, const std::string &text, std::uint32_t colour, int size)
{
    FT_Face face = menuFace();
    if (!face || FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
        return 0;
    int pen = x;
    for (unsigned char c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
            continue;
        const FT_Bitmap &glyph = face->glyph->bitmap;
        for (int row = 0; into && row < int(glyph.rows); ++row) {
            int py = y - face->glyph->bitmap_top + row;
            for (int col = 0; py >= 0 && py < into->height && col < int(glyph.width); ++col) {
                int px = pen + face->glyph->bitmap_left + col;
                unsigned cover = glyph.buffer[row * glyph.pitch + col];
                if (px < 0 || px >= into->width || cover == 0)
                    continue;
                std::uint32_t &pixel = into->pixels(py)[px];
                std::uint32_t mixed = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    unsigned under = (pixel >> shift) & 0xFF, over = (colour >> shift) & 0xFF;
                    mixed |= ((over * cover + under * (255 - cover) + 127) / 255) << shift;
                }
                pixel = mixed;
            }
        }
        pen += int(face->glyph->advance.x >> 6);
    }
    return pen - x;
}

void fill(const win32::Surface &into, int left, int top, int right, int bottom, std::uint32_t colour)
{
    for (int y = std::max(top, 0); y < std::min(bottom, into.height); ++y)
        std::fill(into.pixels(y) + std::max(left, 0), into.pixels(y) + std::min(right, into.width), colour);
}

} // namespace

WaylandBackend::Menu::~Menu()
{
    if (viewport)
        wp_viewport_destroy(viewport);
    if (subsurface)
        wl_subsurface_destroy(subsurface);
}

int WaylandBackend::Menu::rowAt(int px, int py) const
{
    if (px < 0 || px >= width)
        return -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (py >= rows[i].top && py < rows[i].bottom && !rows[i].separator && rows[i].enabled)
            return int(i);
    return -1;
}

// The plain list: a raised grey panel, one row a caption, the highlighted row in navy.
void WaylandBackend::Menu::paint()
{
    const win32::Surface &s = view;
    fill(s, 0, 0, width, height, kFace);
    fill(s, 0, 0, width, unit, kLight);
    fill(s, 0, 0, unit, height, kLight);
    fill(s, 0, height - unit, width, height, kDark);
    fill(s, width - unit, 0, width, height, kDark);
    fill(s, unit, height - 2 * unit, width - unit, height - unit, kShadow);
    fill(s, width - 2 * unit, unit, width - unit, height - unit, kShadow);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MenuRow &row = rows[i];
        if (row.separator) {
            int middle = (row.top + row.bottom) / 2;
            fill(s, 3 * unit, middle - unit, width - 3 * unit, middle, kShadow);
            fill(s, 3 * unit, middle, width - 3 * unit, middle + unit, kLight);
            continue;
        }
        bool lit = int(i) == highlighted;
        if (lit)
            fill(s, 3 * unit, row.top, width - 3 * unit, row.bottom, kHighlight);
        int baseline = row.top + (kRowHeight * unit + kTextSize * unit * 3 / 4) / 2;
        drawText(&s, kTextInset * unit, baseline, row.caption, !row.enabled ? kGreyText : lit ? kLight : kDark,
                 kTextSize * unit);
    }
}

// Called with menuMutex_ held: the menu drawn anew into a buffer the compositor doesn't hold.
void WaylandBackend::showMenu()
{
    Menu &menu = *menu_;
    menu.paint();
    for (auto &buffer : menu.buffers) {
        if (!buffer || buffer->busy)
            continue;
        copyToBuffer(menu.view, RECT{0, 0, menu.width, menu.height}, buffer->data(), buffer->stride(),
                     output_->transform);
        buffer->busy = true;
        std::lock_guard lock(surfaceMutex_);
        wl_surface_attach(menu.surface.get(), buffer->buffer(), 0, 0);
        wl_surface_damage_buffer(menu.surface.get(), 0, 0, buffer->width(), buffer->height());
        wl_surface_commit(menu.surface.get());
        wl_display_flush(display_.get());
        return;
    }
}

UINT WaylandBackend::trackPopupMenu(const win32::Menu &source, int x, int y, HWND)
{
    auto menu = std::make_unique<Menu>();
    menu->unit = std::clamp(output_->scale, 1, 4);
    int unit = menu->unit, top = 3 * unit, widest = 0;
    for (const auto &item : source.items) {
        MenuRow row;
        row.separator = (item.flags & MF_SEPARATOR) || (item.text.empty() && !item.command);
        row.enabled = !(item.flags & (MF_GRAYED | MF_DISABLED)) && !item.popup;
        row.command = item.command;
        for (std::size_t i = 0; i < item.text.size(); ++i) {
            if (item.text[i] == '&' && i + 1 < item.text.size() && item.text[i + 1] != '&' && !row.accessKey)
                row.accessKey = char(std::toupper(static_cast<unsigned char>(item.text[i + 1])));
            else if (item.text[i] != '&' || (i > 0 && item.text[i - 1] == '&'))
                row.caption += item.text[i];
        }
        row.top = top;
        top += (row.separator ? kSeparatorHeight : kRowHeight) * unit;
        row.bottom = top;
        widest = std::max(widest, drawText(nullptr, 0, 0, row.caption, 0, kTextSize * unit));
        menu->rows.push_back(std::move(row));
    }
    if (menu->rows.empty())
        return 0;
    menu->width = std::max(kMinWidth * unit, widest + 2 * kTextInset * unit);
    menu->height = top + 3 * unit;
    // Kept on the screen, as Windows keeps a menu that would run off it.
    menu->x = std::clamp(x, 0, std::max(screenWidth() - menu->width, 0));
    menu->y = std::clamp(y, 0, std::max(screenHeight() - menu->height, 0));
    menu->pixels.assign(std::size_t(menu->width) * std::size_t(menu->height), kFace);
    menu->view = win32::Surface{reinterpret_cast<std::uint8_t *>(menu->pixels.data()), menu->width, menu->height,
                                std::ptrdiff_t(menu->width) * 4, 32};
    bool turned = swapsAxes(output_->transform);
    for (auto &buffer : menu->buffers)
        buffer = ShmBuffer::create(shm_, turned ? menu->height : menu->width, turned ? menu->width : menu->height,
                                   WL_SHM_FORMAT_XRGB8888);

    std::unique_lock lock(menuMutex_);
    {
        std::lock_guard surfaceLock(surfaceMutex_);
        menu->surface.reset(wl_compositor_create_surface(compositor_));
        menu->subsurface = wl_subcompositor_get_subsurface(subcompositor_, menu->surface.get(), surface_);
        wl_subsurface_set_desync(menu->subsurface);
        wl_subsurface_set_position(menu->subsurface, toLogical(menu->x, false), toLogical(menu->y, true));
        menu->viewport = wp_viewporter_get_viewport(viewporter_, menu->surface.get());
        wp_viewport_set_destination(menu->viewport, std::max(toLogical(menu->width, false), 1),
                                    std::max(toLogical(menu->height, true), 1));
        wl_surface_set_buffer_transform(menu->surface.get(), output_->transform);
        // The position is the parent's to apply.
        wl_surface_commit(surface_);
    }
    menu_ = std::move(menu);
    showMenu();
    menuDone_.wait(lock, [&] { return menu_->result.has_value(); });
    UINT command = *menu_->result;
    {
        std::lock_guard surfaceLock(surfaceMutex_);
        menu_.reset();
        wl_surface_commit(surface_);
    }
    wl_display_flush(display_.get());
    return command;
}

// Called with menuMutex_ held: the menu ends with `command`, 0 when dismissed.
void WaylandBackend::endMenu(UINT command)
{
    menu_->result = command;
    menuDone_.notify_all();
}

bool WaylandBackend::menuPointer(wl_surface *focus, double x, double y)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_ || menu_->result)
        return menu_ != nullptr;
    int row = -1;
    if (focus == menu_->surface.get()) {
        POINT at = toPixels(x, y);
        row = menu_->rowAt(at.x, at.y);
    }
    if (row != menu_->highlighted) {
        menu_->highlighted = row;
        showMenu();
    }
    return true;
}

bool WaylandBackend::menuButton(wl_surface *focus, std::uint32_t button, bool pressed)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_ || menu_->result)
        return menu_ != nullptr;
    bool inside = focus == menu_->surface.get();
    if (pressed && !inside)
        endMenu(0);
    else if (!pressed && inside && button == BTN_LEFT && menu_->highlighted >= 0)
        endMenu(menu_->rows[std::size_t(menu_->highlighted)].command);
    return true;
}

bool WaylandBackend::menuKey(xkb_keysym_t symbol, bool pressed)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_ || menu_->result)
        return menu_ != nullptr;
    if (!pressed)
        return true;
    auto &rows = menu_->rows;
    auto choosable = [&](int i) { return !rows[std::size_t(i)].separator && rows[std::size_t(i)].enabled; };
    if (symbol == XKB_KEY_Escape) {
        endMenu(0);
    } else if (symbol == XKB_KEY_Return || symbol == XKB_KEY_KP_Enter || symbol == XKB_KEY_space) {
        if (menu_->highlighted >= 0)
            endMenu(rows[std::size_t(menu_->highlighted)].command);
    } else if (symbol == XKB_KEY_Down || symbol == XKB_KEY_Up) {
        int step = symbol == XKB_KEY_Down ? 1 : -1, count = int(rows.size());
        int at = menu_->highlighted < 0 ? (step > 0 ? -1 : count) : menu_->highlighted;
        for (int tries = 0; tries < count; ++tries) {
            at = (at + step + count) % count;
            if (choosable(at)) {
                menu_->highlighted = at;
                showMenu();
                break;
            }
        }
    } else if (symbol < 0x80) {
        char key = char(std::toupper(int(symbol)));
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].accessKey == key && choosable(int(i))) {
                endMenu(rows[i].command);
                break;
            }
    }
    return true;
}

} // namespace wayland
