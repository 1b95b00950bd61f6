// The Wayland backend's start, in the order that keeps the snapshot clean: connect, read every
// output the show may cover, and only then make the overlay; and the calls it answers.
#include "wayland_backend.h"

#include "wayland_capture.h"

#include "../core/user.h"

#include <linux/input-event-codes.h>

namespace wayland {

std::unique_ptr<WaylandBackend> WaylandBackend::open(std::string &error)
{
    std::unique_ptr<WaylandBackend> backend(new WaylandBackend);
    backend->connection_ = Connection::open(error);
    if (!backend->connection_)
        return nullptr;
    Connection &connection = *backend->connection_;
    backend->seat_ = std::make_unique<Seat>(connection, *backend);
    std::vector<Output *> candidates = connection.outputsToCover(error);
    std::map<Output *, Image> snapshots;
    if (candidates.empty() || !takeSnapshots(connection, candidates, snapshots, error))
        return nullptr;
    backend->overlay_ = Overlay::make(connection, candidates, snapshots, error);
    if (!backend->overlay_)
        return nullptr;
    backend->seat_->attach(*backend->overlay_);
    backend->menu_ = std::make_unique<MenuHost>(connection, *backend->overlay_);
    connection.startEvents();
    return backend;
}

bool WaylandBackend::isOverlay(const win32::Window &window) const
{
    return window.handle == overlay_->window();
}

void WaylandBackend::captureScreen(int x, int y, const win32::Surface &into)
{
    overlay_->readScreen(x, y, into);
}

void WaylandBackend::createWindow(win32::Window &window, COLORREF background)
{
    // The first window is the overlay and covers the output; the program makes no other, and
    // any other would keep its back store unseen.
    if (!overlay_->window()) {
        window.surface = overlay_->createStore(window.handle, window.title, background);
        return;
    }
    int width = std::max<int>(window.rect.right - window.rect.left, 1);
    int height = std::max<int>(window.rect.bottom - window.rect.top, 1);
    auto store = std::make_shared<std::vector<std::uint32_t>>(std::size_t(width) * std::size_t(height),
                                                              win32::pixelFromColour(background));
    window.surface = win32::Surface{reinterpret_cast<std::uint8_t *>(store->data()), width, height,
                                    std::ptrdiff_t(width) * 4, 32};
    window.native = store;
}

void WaylandBackend::showWindow(win32::Window &window, bool visible)
{
    if (isOverlay(window))
        overlay_->show(visible);
}

void WaylandBackend::prepareWindow(win32::Window &window)
{
    if (isOverlay(window))
        overlay_->prepare();
}

void WaylandBackend::presentWindow(win32::Window &window, const RECT &area)
{
    if (isOverlay(window))
        overlay_->present(area);
}

void WaylandBackend::showMenu(const win32::Menu &menu, POINT at)
{
    menu_->show(menu, at, seat_->position());
}

void WaylandBackend::key(WPARAM virtualKey, bool pressed)
{
    if (HWND window = overlay_->window())
        win32::postMessage(window, pressed ? WM_KEYDOWN : WM_KEYUP, virtualKey, pressed ? 1 : LPARAM(0xC0000001u));
}

void WaylandBackend::pointerMoved(wl_surface *surface, POINT at, WPARAM buttons)
{
    if (menu_->pointerMoved(surface, at) || surface != overlay_->surface())
        return;
    if (HWND window = overlay_->window())
        win32::postMessage(window, WM_MOUSEMOVE, buttons, MAKELPARAM(at.x, at.y));
}

void WaylandBackend::pointerButton(wl_surface *surface, std::uint32_t button, bool pressed, POINT at,
                                   WPARAM buttons)
{
    if (menu_->pointerButton(surface, button, pressed) || surface != overlay_->surface() ||
        (button != BTN_LEFT && button != BTN_RIGHT))
        return;
    UINT message = button == BTN_LEFT ? (pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                                      : (pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    if (HWND window = overlay_->window())
        win32::postMessage(window, message, buttons, MAKELPARAM(at.x, at.y));
}

} // namespace wayland
