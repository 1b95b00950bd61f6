#include "wayland_seat.h"

#include "../core/resources.h"
#include "../desktop/keysyms.h"

#include "cursor-shape-v1-client-protocol.h"

#include <wayland-cursor.h>

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace wayland {

namespace {

WPARAM buttonBit(std::uint32_t button)
{
    return button == BTN_LEFT ? MK_LBUTTON : button == BTN_RIGHT ? MK_RBUTTON : 0;
}

} // namespace

struct Seat::Events {
    static Seat &self(void *data) { return *static_cast<Seat *>(data); }

    static void capabilities(void *data, wl_seat *, std::uint32_t capabilities)
    {
        self(data).capabilities(capabilities);
    }
    static void name(void *, wl_seat *, const char *) {}
    static constexpr wl_seat_listener seat{capabilities, name};

    static void keymap(void *data, wl_keyboard *, std::uint32_t format, std::int32_t fd, std::uint32_t size)
    {
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
            self(data).keymap(fd, size);
        close(fd);
    }
    static void enter(void *, wl_keyboard *, std::uint32_t, wl_surface *, wl_array *) {}
    static void leave(void *, wl_keyboard *, std::uint32_t, wl_surface *) {}
    static void key(void *data, wl_keyboard *, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state)
    {
        self(data).key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
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
        std::lock_guard lock(self(data).mutex_);
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

Seat::Seat(Connection &connection, Listener &listener) : connection_(connection), listener_(listener)
{
    const Globals &globals = connection.globals();
    if (!globals.seatName)
        return;
    seat_ = static_cast<wl_seat *>(wl_registry_bind(connection.registry(), globals.seatName, &wl_seat_interface,
                                                    std::min(globals.seatVersion, 5u)));
    wl_seat_add_listener(seat_, &Events::seat, this);
}

// Only a seat whose backend failed to open is destroyed, before the events thread ran.
Seat::~Seat()
{
    cursorImages_.clear();
    arrow_.reset();
    if (cursorTheme_)
        wl_cursor_theme_destroy(cursorTheme_);
    for (void *proxy : std::initializer_list<void *>{cursorShapeDevice_, pointer_, keyboard_, seat_})
        destroyProxy(proxy);
}

// A device that goes away leaves its object inert; one that comes (back) gets a new one.
void Seat::capabilities(std::uint32_t capabilities)
{
    bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER, keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    {
        std::lock_guard lock(mutex_);
        if (!pointer && pointer_) {
            if (cursorShapeDevice_)
                wp_cursor_shape_device_v1_destroy(cursorShapeDevice_);
            cursorShapeDevice_ = nullptr;
            wl_pointer_release(pointer_);
            pointer_ = nullptr;
            pointerFocus_ = nullptr;
        } else if (pointer && !pointer_) {
            pointer_ = wl_seat_get_pointer(seat_);
            wl_pointer_add_listener(pointer_, &Events::pointer, this);
            if (wp_cursor_shape_manager_v1 *shapes = connection_.globals().cursorShapes)
                cursorShapeDevice_ = wp_cursor_shape_manager_v1_get_pointer(shapes, pointer_);
        }
    }
    if (!keyboard && keyboard_) {
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
    } else if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &Events::keyboard, this);
    }
}

void Seat::keymap(int fd, std::uint32_t size)
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

void Seat::key(std::uint32_t key, bool pressed)
{
    if (!keyState_)
        return;
    // Wayland's key codes are the kernel's; xkb's are 8 more.
    xkb_keycode_t code = key + 8;
    const xkb_keysym_t *symbols = nullptr;
    xkb_layout_index_t layout = xkb_state_key_get_layout(keyState_.get(), code);
    if (xkb_keymap_key_get_syms_by_level(keymap_.get(), code, layout, 0, &symbols) < 1)
        return;
    if (WPARAM virtualCode = desktop::virtualKey(symbols[0]))
        listener_.key(virtualCode, pressed);
}

// Coming in is a move like any other: the program picks the cursor on the move.
void Seat::pointerEnter(wl_surface *surface, std::uint32_t serial, double x, double y)
{
    {
        std::lock_guard lock(mutex_);
        pointerFocus_ = surface;
        enterSerial_ = serial;
        showCursor();
    }
    pointerMotion(x, y);
}

void Seat::pointerMotion(double x, double y)
{
    if (!overlay_)
        return;
    POINT at = overlay_->toPixels(x, y);
    wl_surface *focus;
    WPARAM buttons;
    {
        std::lock_guard lock(mutex_);
        focus = pointerFocus_;
        focusAt_ = at;
        if (focus == overlay_->surface())
            overlayAt_ = at;
        buttons = buttons_;
    }
    if (focus)
        listener_.pointerMoved(focus, at, buttons);
}

void Seat::pointerButton(std::uint32_t button, bool pressed)
{
    wl_surface *focus;
    POINT at;
    WPARAM buttons;
    {
        std::lock_guard lock(mutex_);
        WPARAM bit = buttonBit(button);
        buttons_ = pressed ? buttons_ | bit : buttons_ & ~bit;
        focus = pointerFocus_;
        at = focusAt_;
        buttons = buttons_;
    }
    if (focus)
        listener_.pointerButton(focus, button, pressed, at, buttons);
}

POINT Seat::position()
{
    std::lock_guard lock(mutex_);
    return overlayAt_;
}

void Seat::setCursor(const win32::Cursor *cursor)
{
    std::lock_guard lock(mutex_);
    cursor_ = cursor;
    showCursor();
}

// The cursor the program chose, over our surfaces. The request is made again only when the
// cursor or the pointer's entry changed.
void Seat::showCursor()
{
    if (!pointer_ || !pointerFocus_ || !overlay_)
        return;
    // Over a menu, the arrow.
    bool arrow = !cursor_ || cursor_->name == "arrow" || pointerFocus_ != overlay_->surface();
    if (shownCursor_ && shownCursor_->first == enterSerial_ && shownCursor_->second == (arrow ? nullptr : cursor_))
        return;
    shownCursor_ = std::pair(enterSerial_, arrow ? nullptr : cursor_);
    if (arrow && cursorShapeDevice_) {
        wp_cursor_shape_device_v1_set_shape(cursorShapeDevice_, enterSerial_, WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_DEFAULT);
    } else if (CursorImage *image = arrow ? arrowImage() : cursorImage(*cursor_)) {
        wl_pointer_set_cursor(pointer_, enterSerial_, image->surface.get(), image->hotX, image->hotY);
    }
    connection_.flush();
}

} // namespace wayland
