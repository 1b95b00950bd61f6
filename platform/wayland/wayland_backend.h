// The Wayland backend: the show covers one output with an overlay showing a snapshot read before
// anything is mapped; frames are drawn straight into the shared memory the compositor reads, and a
// thread of its own turns Wayland input into window messages. It wires together parts that each
// own their state and their lock, and calls from one to another are made with no lock held:
//
// - wayland_connection: the display, its globals and outputs, the events thread;
// - wayland_capture, wayland_kwin, wayland_portal: the routes to the snapshot, taken before anything else runs;
// - wayland_overlay, wayland_present: the overlay's surface, its configures, the window's buffers
//   and presenting them;
// - wayland_seat, wayland_cursor: the keyboard, the pointer and its cursor images;
// - wayland_menu: the popup menu;
// - wayland_pixels, wayland_shm, wayland_owned: buffer formats, shared memory, ownership.
#pragma once

#include "../desktop/desktop_backend.h"
#include "wayland_menu.h"
#include "wayland_seat.h"

namespace wayland {

class WaylandBackend final : public desktop::DesktopBackend, public Seat::Listener {
public:
    // Connects to $WAYLAND_DISPLAY, reads the screen and sets up the overlay on the output to
    // cover; on failure returns nothing and sets `error` to one line.
    static std::unique_ptr<WaylandBackend> open(std::string &error);

    int screenWidth() override { return overlay_->width(); }
    int screenHeight() override { return overlay_->height(); }
    RECT workArea() override { return overlay_->workArea(); }
    void captureScreen(int x, int y, const win32::Surface &into) override;
    std::shared_ptr<const Image> screenPicture() override { return overlay_->screenPicture(); }
    void createWindow(win32::Window &window, COLORREF background) override;
    void showWindow(win32::Window &window, bool visible) override;
    void prepareWindow(win32::Window &window) override;
    void presentWindow(win32::Window &window, const RECT &area) override;
    POINT cursorPosition() override { return seat_->position(); }
    void setCursor(const win32::Cursor *cursor) override { seat_->setCursor(cursor); }
    void showMenu(const win32::Menu &menu, POINT at) override;
    void highlightMenu(int item) override { menu_->highlight(item); }
    void hideMenu() override { menu_->hide(); }

private:
    WaylandBackend() = default;

    // From the seat: to the menu when over it, else to the overlay's window.
    void key(WPARAM virtualKey, bool pressed) override;
    void pointerMoved(wl_surface *surface, POINT at, WPARAM buttons) override;
    void pointerButton(wl_surface *surface, std::uint32_t button, bool pressed, POINT at, WPARAM buttons) override;

    bool isOverlay(const win32::Window &window) const;

    // Declared in the order they are made, and destroyed in reverse: the connection last.
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<Seat> seat_;
    std::unique_ptr<Overlay> overlay_;
    std::unique_ptr<MenuHost> menu_;
};

} // namespace wayland
