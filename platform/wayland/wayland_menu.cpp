// The Wayland backend's popup menus: a subsurface of the overlay, which behaves alike with and
// without a layer shell and needs no grab. TrackPopupMenu waits on the main thread while the
// events thread hands the menu the pointer and the keys, until it closes.
#include "wayland_menu.h"

#include "viewporter-client-protocol.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace wayland {

namespace {

std::optional<win32::PopupMenu::Key> menuKey(xkb_keysym_t symbol)
{
    using Key = win32::PopupMenu::Key;
    switch (symbol) {
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        return Key::Up;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        return Key::Down;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
        return Key::Home;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
        return Key::End;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
        return Key::Enter;
    case XKB_KEY_Escape:
        return Key::Escape;
    default:
        return std::nullopt;
    }
}

} // namespace

WaylandBackend::Menu::~Menu()
{
    if (viewport)
        wp_viewport_destroy(viewport);
    if (subsurface)
        wl_subsurface_destroy(subsurface);
}

// Called with menuMutex_ held: the menu painted anew into a buffer the compositor doesn't hold.
void WaylandBackend::showMenu()
{
    Menu &menu = *menu_;
    auto size = menu.popup.size();
    win32::Surface view{reinterpret_cast<std::uint8_t *>(menu.pixels.data()), size.width, size.height,
                        std::ptrdiff_t(size.width) * 4, 32};
    menu.popup.paint(view);
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

UINT WaylandBackend::trackPopupMenu(const win32::Menu &source, int x, int y, HWND)
{
    auto menu = std::make_unique<Menu>(source);
    auto size = menu->popup.size();
    if (size.width <= 0 || size.height <= 0)
        return 0;
    menu->corner = win32::PopupMenu::place(size, POINT{x, y}, RECT{0, 0, screenWidth(), screenHeight()});
    POINT at = cursorPosition();
    menu->pointer = POINT{at.x - menu->corner.x, at.y - menu->corner.y};
    menu->pixels.assign(std::size_t(size.width) * std::size_t(size.height), 0);
    bool turned = swapsAxes(output_->transform);
    for (auto &buffer : menu->buffers)
        buffer = ShmBuffer::create(shm_, turned ? size.height : size.width, turned ? size.width : size.height,
                                   WL_SHM_FORMAT_XRGB8888);

    std::unique_lock lock(menuMutex_);
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
    showMenu();
    menuDone_.wait(lock, [&] { return menu_->popup.closed(); });
    UINT command = menu_->popup.command();
    {
        std::lock_guard surfaceLock(surfaceMutex_);
        menu_.reset();
        wl_surface_commit(surface_);
    }
    wl_display_flush(display_.get());
    return command;
}

// Called with menuMutex_ held after the menu heard something: painted again, or done with.
void WaylandBackend::menuChanged(bool repaint)
{
    if (menu_->popup.closed())
        menuDone_.notify_all();
    else if (repaint)
        showMenu();
}

bool WaylandBackend::menuPointer(wl_surface *focus, double x, double y)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_ || menu_->popup.closed())
        return menu_ != nullptr;
    // Over the menu its own pixels; over the overlay the screen's, counted from the menu's corner.
    POINT at = toPixels(x, y);
    if (focus == surface_)
        at = POINT{at.x - menu_->corner.x, at.y - menu_->corner.y};
    else if (focus != menu_->surface.get())
        return true;
    menu_->pointer = at;
    menuChanged(menu_->popup.pointerMoved(at));
    return true;
}

bool WaylandBackend::menuButton(std::uint32_t button, bool pressed)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_ || menu_->popup.closed())
        return menu_ != nullptr;
    if (pressed)
        menuChanged(menu_->popup.buttonPressed(menu_->pointer));
    else if (button == BTN_LEFT)
        menuChanged(menu_->popup.buttonReleased(menu_->pointer));
    return true;
}

bool WaylandBackend::menuKey(xkb_keysym_t symbol, bool pressed)
{
    std::lock_guard lock(menuMutex_);
    if (!menu_ || menu_->popup.closed())
        return menu_ != nullptr;
    if (auto key = pressed ? wayland::menuKey(symbol) : std::nullopt)
        menuChanged(menu_->popup.keyPressed(*key));
    return true;
}

} // namespace wayland
