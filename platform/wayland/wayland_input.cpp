// The Wayland backend's input side: a thread of its own reads the connection, and keys, pointer
// moves and buttons on the overlay become window messages. The connection's end ends the program.
#include "wayland_backend.h"

#include "../core/resources.h"
#include "../core/user.h"
#include "../desktop/keysyms.h"

#include "cursor-shape-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace wayland {

namespace {

WPARAM buttonBit(std::uint32_t button)
{
    return button == BTN_LEFT ? MK_LBUTTON : button == BTN_RIGHT ? MK_RBUTTON : 0;
}

} // namespace

struct WaylandBackend::SeatEvents {
    static WaylandBackend &self(void *data) { return *static_cast<WaylandBackend *>(data); }

    static void capabilities(void *data, wl_seat *, std::uint32_t capabilities)
    {
        self(data).seatCapabilities(capabilities);
    }
    static void name(void *, wl_seat *, const char *) {}
    static constexpr wl_seat_listener seat{capabilities, name};

    static void keymap(void *data, wl_keyboard *, std::uint32_t format, std::int32_t fd, std::uint32_t size)
    {
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
            self(data).keyboardKeymap(fd, size);
        close(fd);
    }
    static void enter(void *, wl_keyboard *, std::uint32_t, wl_surface *, wl_array *) {}
    static void leave(void *, wl_keyboard *, std::uint32_t, wl_surface *) {}
    static void key(void *data, wl_keyboard *, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state)
    {
        self(data).keyboardKey(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
    }
    static void modifiers(void *data, wl_keyboard *, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
                          std::uint32_t locked, std::uint32_t group)
    {
        if (self(data).keyState_)
            xkb_state_update_mask(self(data).keyState_.get(), depressed, latched, locked, 0, 0, group);
    }
    static void repeat(void *, wl_keyboard *, std::int32_t, std::int32_t) {}
    static constexpr wl_keyboard_listener keyboard{keymap, enter, leave, key, modifiers, repeat};

    static void pointerEnter(void *data, wl_pointer *, std::uint32_t serial, wl_surface *surface, wl_fixed_t x,
                             wl_fixed_t y)
    {
        self(data).pointerEnter(surface, serial, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void pointerLeave(void *data, wl_pointer *, std::uint32_t, wl_surface *)
    {
        std::lock_guard lock(self(data).pointerMutex_);
        self(data).pointerFocus_ = nullptr;
    }
    static void motion(void *data, wl_pointer *, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
    {
        self(data).pointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void button(void *data, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t button,
                       std::uint32_t state)
    {
        self(data).pointerButton(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
    }
    static void axis(void *, wl_pointer *, std::uint32_t, std::uint32_t, wl_fixed_t) {}
    static void frame(void *, wl_pointer *) {}
    static void axisSource(void *, wl_pointer *, std::uint32_t) {}
    static void axisStop(void *, wl_pointer *, std::uint32_t, std::uint32_t) {}
    static void axisDiscrete(void *, wl_pointer *, std::uint32_t, std::int32_t) {}
    static void axisValue120(void *, wl_pointer *, std::uint32_t, std::int32_t) {}
    static constexpr wl_pointer_listener pointer{pointerEnter, pointerLeave, motion,       button,
                                                 axis,         frame,        axisSource,   axisStop,
                                                 axisDiscrete, axisValue120};
};

void WaylandBackend::listenToSeat()
{
    wl_seat_add_listener(seat_, &SeatEvents::seat, this);
}

void WaylandBackend::startEvents()
{
    std::thread([this] { runEvents(); }).detach();
}

void WaylandBackend::runEvents()
{
    wl_display *display = display_.get();
    while (wl_display_dispatch(display) >= 0) {
    }
    // Without the compositor there is no screen to show on: the show ends here, as a failure.
    int code = wl_display_get_error(display);
    const wl_interface *interface = nullptr;
    std::uint32_t object = 0;
    if (code == EPROTO) {
        std::uint32_t error = wl_display_get_protocol_error(display, &interface, &object);
        std::fprintf(stderr, "howdy: the Wayland compositor refused a request (%s error %u)\n",
                     interface ? interface->name : "unknown", error);
    } else {
        std::fprintf(stderr, "howdy: lost the Wayland compositor (%s)\n", std::strerror(code ? code : EPIPE));
    }
    std::fflush(nullptr);
    std::_Exit(1);
}

// A device that goes away leaves its object inert; one that comes (back) gets a new one.
void WaylandBackend::seatCapabilities(std::uint32_t capabilities)
{
    bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER, keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    {
        std::lock_guard lock(pointerMutex_);
        if (!pointer && pointer_) {
            if (cursorShapeDevice_)
                wp_cursor_shape_device_v1_destroy(cursorShapeDevice_);
            cursorShapeDevice_ = nullptr;
            wl_pointer_release(pointer_);
            pointer_ = nullptr;
            pointerFocus_ = nullptr;
        } else if (pointer && !pointer_) {
            pointer_ = wl_seat_get_pointer(seat_);
            wl_pointer_add_listener(pointer_, &SeatEvents::pointer, this);
            if (cursorShapes_)
                cursorShapeDevice_ = wp_cursor_shape_manager_v1_get_pointer(cursorShapes_, pointer_);
        }
    }
    if (!keyboard && keyboard_) {
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
    } else if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &SeatEvents::keyboard, this);
    }
}

void WaylandBackend::keyboardKeymap(int fd, std::uint32_t size)
{
    void *text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED)
        return;
    if (!xkbContext_)
        xkbContext_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    xkb_keymap *keymap = xkbContext_ ? xkb_keymap_new_from_buffer(xkbContext_.get(), static_cast<const char *>(text),
                                                                  strnlen(static_cast<const char *>(text), size),
                                                                  XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                     : nullptr;
    munmap(text, size);
    if (!keymap)
        return;
    keyState_.reset(xkb_state_new(keymap));
    keymap_.reset(keymap);
}

void WaylandBackend::keyboardKey(std::uint32_t key, bool pressed)
{
    if (!keyState_)
        return;
    // Wayland's key codes are the kernel's; xkb's are 8 more.
    xkb_keycode_t code = key + 8;
    const xkb_keysym_t *symbols = nullptr;
    xkb_layout_index_t layout = xkb_state_key_get_layout(keyState_.get(), code);
    if (xkb_keymap_key_get_syms_by_level(keymap_.get(), code, layout, 0, &symbols) < 1)
        return;
    if (menuKey(symbols[0], pressed))
        return;
    HWND window = window_;
    if (WPARAM virtualCode = desktop::virtualKey(symbols[0]); virtualCode && window)
        win32::postMessage(window, pressed ? WM_KEYDOWN : WM_KEYUP, virtualCode, pressed ? 1 : LPARAM(0xC0000001u));
}

// Coming in is a move like any other: the program picks the cursor on the move.
void WaylandBackend::pointerEnter(wl_surface *surface, std::uint32_t serial, double x, double y)
{
    {
        std::lock_guard lock(pointerMutex_);
        pointerFocus_ = surface;
        enterSerial_ = serial;
        showCursor();
    }
    pointerMotion(x, y);
}

void WaylandBackend::pointerMotion(double x, double y)
{
    POINT at;
    WPARAM buttons;
    wl_surface *focus;
    {
        std::lock_guard lock(pointerMutex_);
        focus = pointerFocus_;
    }
    if (output_ && menuPointer(focus, x, y))
        return;
    {
        std::lock_guard lock(pointerMutex_);
        // Before the output is known there are no pixels to count in, nor a window to tell.
        if (pointerFocus_ != surface_ || !output_)
            return;
        at = pointerAt_ = toPixels(x, y);
        buttons = buttons_;
    }
    if (HWND window = window_)
        win32::postMessage(window, WM_MOUSEMOVE, buttons, MAKELPARAM(at.x, at.y));
}

void WaylandBackend::pointerButton(std::uint32_t button, bool pressed)
{
    POINT at;
    WPARAM buttons;
    {
        std::lock_guard lock(pointerMutex_);
        WPARAM bit = buttonBit(button);
        buttons_ = pressed ? buttons_ | bit : buttons_ & ~bit;
    }
    if (menuButton(button, pressed))
        return;
    {
        std::lock_guard lock(pointerMutex_);
        WPARAM bit = buttonBit(button);
        if (pointerFocus_ != surface_ || !bit)
            return;
        at = pointerAt_;
        buttons = buttons_;
    }
    UINT message = button == BTN_LEFT ? (pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                                      : (pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    if (HWND window = window_)
        win32::postMessage(window, message, buttons, MAKELPARAM(at.x, at.y));
}

POINT WaylandBackend::cursorPosition()
{
    std::lock_guard lock(pointerMutex_);
    return pointerAt_;
}

void WaylandBackend::setCursor(const win32::Cursor *cursor)
{
    std::lock_guard lock(pointerMutex_);
    cursor_ = cursor;
    showCursor();
}

// Called with pointerMutex_ held: the cursor the program chose, over our surfaces. The request
// is made again only when the cursor or the pointer's entry changed.
void WaylandBackend::showCursor()
{
    // Before the output is known there is no scale to draw at: the next move sets the cursor.
    if (!pointer_ || !pointerFocus_ || !output_)
        return;
    // Over a menu, the arrow.
    bool arrow = !cursor_ || cursor_->name == "arrow" || pointerFocus_ != surface_;
    if (shownCursor_ && shownCursor_->first == enterSerial_ && shownCursor_->second == (arrow ? nullptr : cursor_))
        return;
    shownCursor_ = std::pair(enterSerial_, arrow ? nullptr : cursor_);
    if (arrow && cursorShapeDevice_) {
        wp_cursor_shape_device_v1_set_shape(cursorShapeDevice_, enterSerial_, WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_DEFAULT);
    } else if (CursorImage *image = arrow ? arrowImage() : cursorImage(*cursor_)) {
        wl_pointer_set_cursor(pointer_, enterSerial_, image->surface.get(), image->hotX, image->hotY);
    }
    wl_display_flush(display_.get());
}

} // namespace wayland
