#include "wayland_menu.h"

#include "../desktop/popup_menu.h"

#include "viewporter-client-protocol.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

namespace wayland {

// A menu while it is up: its look, where it stands, and the subsurface it is shown in.
struct MenuHost::Menu {
    explicit Menu(const win32::Menu &menu) : look(menu) {}
    ~Menu()
    {
        destroyProxy(viewport);
        destroyProxy(subsurface);
    }

    desktop::PopupMenu look;
    int highlighted = -1;
    POINT corner{};  // in screen pixels
    POINT pointer{}; // where the pointer is, in the menu's pixels

    OwnedSurface surface;
    wl_subsurface *subsurface = nullptr;
    wp_viewport *viewport = nullptr;
    std::array<std::unique_ptr<ShmBuffer>, 2> buffers;
};

MenuHost::MenuHost(Connection &connection, Overlay &overlay) : connection_(connection), overlay_(overlay) {}

MenuHost::~MenuHost() = default;

void MenuHost::paint()
{
    Menu &menu = *menu_;
    auto size = menu.look.size();
    for (auto &buffer : menu.buffers) {
        if (!buffer || buffer->busy)
            continue;
        win32::Surface pixels{buffer->data(), size.width, size.height, buffer->stride(), 32};
        menu.look.paint(pixels, menu.highlighted);
        buffer->busy = true;
        wl_surface_attach(menu.surface.get(), buffer->buffer(), 0, 0);
        wl_surface_damage_buffer(menu.surface.get(), 0, 0, size.width, size.height);
        wl_surface_commit(menu.surface.get());
        connection_.flush();
        return;
    }
}

void MenuHost::show(const win32::Menu &source, POINT at, POINT pointer)
{
    const Globals &globals = connection_.globals();
    auto menu = std::make_unique<Menu>(source);
    auto size = menu->look.size();
    menu->corner = desktop::PopupMenu::place(size, at, RECT{0, 0, overlay_.width(), overlay_.height()});
    menu->pointer = POINT{pointer.x - menu->corner.x, pointer.y - menu->corner.y};
    for (auto &buffer : menu->buffers)
        buffer = ShmBuffer::create(globals.shm, size.width, size.height, WL_SHM_FORMAT_XRGB8888);
    menu->surface.reset(wl_compositor_create_surface(globals.compositor));
    menu->subsurface = wl_subcompositor_get_subsurface(globals.subcompositor, menu->surface.get(), overlay_.surface());
    wl_subsurface_set_desync(menu->subsurface);
    wl_subsurface_set_position(menu->subsurface, overlay_.toLogical(menu->corner.x, false),
                               overlay_.toLogical(menu->corner.y, true));
    menu->viewport = wp_viewporter_get_viewport(globals.viewporter, menu->surface.get());
    wp_viewport_set_destination(menu->viewport, std::max(overlay_.toLogical(size.width, false), 1),
                                std::max(overlay_.toLogical(size.height, true), 1));
    // The position is the parent's to apply.
    overlay_.commit();
    std::lock_guard lock(mutex_);
    menu_ = std::move(menu);
    paint();
}

void MenuHost::highlight(int item)
{
    std::lock_guard lock(mutex_);
    if (!menu_)
        return;
    menu_->highlighted = item;
    paint();
}

void MenuHost::hide()
{
    std::unique_ptr<Menu> gone;
    {
        std::lock_guard lock(mutex_);
        gone = std::move(menu_);
    }
    gone.reset();
    overlay_.commit();
    connection_.flush();
}

bool MenuHost::pointerMoved(wl_surface *surface, POINT at)
{
    win32::MenuInput input;
    {
        std::lock_guard lock(mutex_);
        if (!menu_ || surface != menu_->surface.get())
            return false;
        menu_->pointer = at;
        input = menu_->look.input(desktop::PopupMenu::Pointer::Moved, at);
    }
    win32::deliverMenuInput(input);
    return true;
}

bool MenuHost::pointerButton(wl_surface *surface, std::uint32_t button, bool pressed)
{
    using Pointer = desktop::PopupMenu::Pointer;
    win32::MenuInput input;
    {
        std::lock_guard lock(mutex_);
        if (!menu_ || surface != menu_->surface.get())
            return false;
        if (!pressed && button != BTN_LEFT)
            return true;
        input = menu_->look.input(pressed ? Pointer::Pressed : Pointer::LeftReleased, menu_->pointer);
    }
    win32::deliverMenuInput(input);
    return true;
}

} // namespace wayland
