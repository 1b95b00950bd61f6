// The seat: the keyboard, read through libxkbcommon, the pointer and the cursor it shows. Its
// events come on the events thread and are handed to a Listener, never under the seat's lock;
// the main thread reads where the pointer is and sets the cursor. The keyboard's state is the
// events thread's alone; the pointer's is under the seat's lock.
//
// Files: wayland_seat (the devices and their events), wayland_cursor (cursor images).
#pragma once

#include "wayland_overlay.h"

#include <xkbcommon/xkbcommon.h>

#include <map>
#include <mutex>
#include <optional>

struct wl_cursor_theme;
struct wp_cursor_shape_device_v1;

namespace win32 {
struct Cursor;
}

namespace wayland {

class Seat {
public:
    // What the seat reports, on the events thread. Positions are in pixels of the screen, counted
    // from the corner of the surface the pointer is over; buttons are MK_ bits.
    struct Listener {
        virtual void key(WPARAM virtualKey, bool pressed) = 0;
        virtual void pointerMoved(wl_surface *surface, POINT at, WPARAM buttons) = 0;
        virtual void pointerButton(wl_surface *surface, std::uint32_t button, bool pressed, POINT at,
                                   WPARAM buttons) = 0;

    protected:
        ~Listener() = default;
    };

    // Binds the seat the connection named, if any, before anything of ours is mapped: a compositor
    // tells a client of the focus it has only when the client had bound the seat by then.
    Seat(Connection &connection, Listener &listener);
    ~Seat();
    Seat(const Seat &) = delete;
    Seat &operator=(const Seat &) = delete;

    // Before the events thread runs: the overlay, whose pixels positions are counted in. Until
    // then the pointer is ignored.
    void attach(const Overlay &overlay) { overlay_ = &overlay; }

    // Where the pointer was last seen over the overlay.
    POINT position();
    // The cursor over the overlay (null: the arrow); over anything else of ours, the arrow.
    void setCursor(const win32::Cursor *cursor);

private:
    struct Events;
    // A surface showing a cursor at the output's scale, and its hot spot.
    struct CursorImage {
        OwnedSurface surface;
        std::unique_ptr<ShmBuffer> pixels;
        int hotX = 0, hotY = 0;
    };

    // wayland_seat.cpp
    void capabilities(std::uint32_t capabilities);
    void keymap(int fd, std::uint32_t size);
    void key(std::uint32_t key, bool pressed);
    void pointerEnter(wl_surface *surface, std::uint32_t serial, double x, double y);
    void pointerMotion(double x, double y);
    void pointerButton(std::uint32_t button, bool pressed);
    // Called with mutex_ held.
    void showCursor();

    // wayland_cursor.cpp, called with mutex_ held.
    CursorImage *cursorImage(const win32::Cursor &cursor);
    CursorImage *arrowImage();

    Connection &connection_;
    const Overlay *overlay_ = nullptr;
    Listener &listener_;
    wl_seat *seat_ = nullptr;

    // The events thread's.
    wl_keyboard *keyboard_ = nullptr;
    Owned<xkb_context, xkb_context_unref> xkbContext_;
    Owned<xkb_keymap, xkb_keymap_unref> keymap_;
    Owned<xkb_state, xkb_state_unref> keyState_;

    // Under mutex_.
    std::mutex mutex_;
    wl_pointer *pointer_ = nullptr;
    wp_cursor_shape_device_v1 *cursorShapeDevice_ = nullptr;
    wl_surface *pointerFocus_ = nullptr;
    std::uint32_t enterSerial_ = 0;
    POINT focusAt_{};  // over the focused surface
    POINT overlayAt_{}; // last seen over the overlay
    WPARAM buttons_ = 0;
    const win32::Cursor *cursor_ = nullptr;
    // The enter serial and cursor (null: the arrow) last asked of the compositor.
    std::optional<std::pair<std::uint32_t, const win32::Cursor *>> shownCursor_;
    wl_cursor_theme *cursorTheme_ = nullptr;
    std::map<const win32::Cursor *, CursorImage> cursorImages_;
    std::optional<CursorImage> arrow_;
};

} // namespace wayland
