// The Wayland backend's popup menus: a subsurface of the overlay, which behaves alike with and
// without a layer shell and needs no grab. The main thread, running the menu loop, shows, lights
// and hides it; the events thread hands the loop the pointer and the keys while it is up.
#include "wayland_menu.h"

#include "../desktop/keysyms.h"

#include "viewporter-client-protocol.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace wayland {

WaylandBackend::Menu::~Menu()
{
    if (viewport)
        wp_viewport_destroy(viewport);
    if (subsurface)
        wl_subsurface_destroy(subsurface);
}

// Called with menuMutex_ held: the menu painted anew into a buffer the compositor doesn't hold.
void WaylandBackend::paintMenu()
{
    Menu &menu = *menu_;
    auto size = menu.look.size();
    win32::Surface view{reinterpret_cast<std::uint8_t *>(menu.pixels.data()), size.width, size.height,
                        std::ptrdiff_t(size.width) * 4, 32};
    menu.look.paint(view, menu.highlighted);
    for (auto &buffer : menu.buffers) {
        if (!buffer || buffer->busy)
            continue;
        copyToBuffer(view, RECT{0, 0, size.width, size.height}, buffer->data(), buffer->stride(), output_->transform);
        buffer->busy = true;
        std::lock_guard lock(surfaceMutex_);
        wl_surface_attach(menu.surface.get(), buffer->buffer(), 0, 0);
        wl_surface_damage_buffer(menu.surface.get(), 0, 0, buffer->width(), buffer->height());
        wl_surface_commit(menu.surface.get());
        wl_display_flush(display_.get());
        return;
    }
}

void WaylandBackend::showMenu(const win32::Menu &source, POINT at)
{
    auto menu = std::make_unique<Menu>(source);
    auto size = menu->look.size();
    menu->corner = desktop::PopupMenu::place(size, at, RECT{0, 0, screenWidth(), screenHeight()});
    POINT pointer = cursorPosition();
    menu->pointer = POINT{pointer.x - menu->corner.x, pointer.y - menu->corner.y};
    menu->pixels.assign(std::size_t(size.width) * std::size_t(size.height), 0);
    bool turned = swapsAxes(output_->transform);
    for (auto &buffer : menu->buffers)
        buffer = ShmBuffer::create(shm_, turned ? size.height : size.width, turned ? size.width : size.height,
                                   WL_SHM_FORMAT_XRGB8888);

    std::lock_guard lock(menuMutex_);
    {
        std::lock_guard surfaceLock(surfaceMutex_);
        menu->surface.reset(wl_compositor_create_surface(compositor_));
        menu->subsurface = wl_subcompositor_get_subsurface(subcompositor_, menu->surface.get(), surface_);
        wl_subsurface_set_desync(menu->subsurface);
        wl_subsurface_set_position(menu->subsurface, toLogical(menu->corner.x, false),
                                   toLogical(menu->corner.y, true));
        menu->viewport = wp_viewporter_get_viewport(viewporter_, menu->surface.get());
        wp_viewport_set_destination(menu->viewport, std::max(toLogical(size.width, false), 1),
                                    std::max(toLogical(size.height, true), 1));
        wl_surface_set_buffer_transform(menu->surface.get(), output_->transform);
        // The position is the parent's to apply.
        wl_surface_commit(surface_);
    }
    menu_ = std::move(menu);
    paintMenu();
}

void WaylandBackend::highlightMenu(int item)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_)
        return;
    menu_->highlighted = item;
    paintMenu();
}

void WaylandBackend::hideMenu()
{
    {
        std::lock_guard lock(menuMutex_);
        std::lock_guard surfaceLock(surfaceMutex_);
        menu_.reset();
        wl_surface_commit(surface_);
    }
    wl_display_flush(display_.get());
}

bool WaylandBackend::menuPointer(wl_surface *focus, double x, double y)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_)
        return false;
    // Over the menu its own pixels; over the overlay the screen's, counted from the menu's corner.
    POINT at = toPixels(x, y);
    if (focus == surface_)
        at = POINT{at.x - menu_->corner.x, at.y - menu_->corner.y};
    else if (focus != menu_->surface.get())
        return true;
    menu_->pointer = at;
    win32::deliverMenuInput(menu_->look.input(desktop::PopupMenu::Pointer::Moved, at));
    return true;
}

bool WaylandBackend::menuButton(std::uint32_t button, bool pressed)
{
    using Pointer = desktop::PopupMenu::Pointer;
    std::lock_guard lock(menuMutex_);
    if (!menu_)
        return false;
    if (pressed)
        win32::deliverMenuInput(menu_->look.input(Pointer::Pressed, menu_->pointer));
    else if (button == BTN_LEFT)
        win32::deliverMenuInput(menu_->look.input(Pointer::LeftReleased, menu_->pointer));
    return true;
}

bool WaylandBackend::menuKey(xkb_keysym_t symbol, bool pressed)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_)
        return false;
    if (WPARAM key = pressed ? desktop::virtualKey(symbol) : 0)
        win32::deliverMenuInput(win32::MenuInput{win32::MenuInput::Kind::Key, -1, false, key});
    return true;
}

} // namespace wayland
