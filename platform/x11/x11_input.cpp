// The X11 backend's input side: keys and buttons on the overlay become window messages.
#include "x11_backend.h"

#include "../core/user.h"

#include <X11/keysym.h>

namespace x11 {

namespace {

// The virtual-key code of a key, for the keys that have one of the same meaning.
WPARAM virtualKey(KeySym key)
{
    if (key == XK_Escape)
        return VK_ESCAPE;
    if (key == XK_Return)
        return 0x0D;
    if (key == XK_space)
        return 0x20;
    if (key >= XK_a && key <= XK_z)
        return WPARAM('A' + (key - XK_a));
    if (key >= XK_A && key <= XK_Z)
        return WPARAM(key);
    if (key >= XK_0 && key <= XK_9)
        return WPARAM(key);
    return 0;
}

WPARAM buttonState(unsigned state)
{
    return (state & Button1Mask ? MK_LBUTTON : 0) | (state & Button3Mask ? MK_RBUTTON : 0);
}

} // namespace

void X11Backend::runEvents()
{
    for (;;) {
        XEvent event;
        XNextEvent(eventDisplay_, &event);
        HWND window = windowFor(event.xany.window);
        if (!window)
            continue;
        switch (event.type) {
        case MapNotify:
            // An override-redirect window gets no focus from a window manager: take it.
            XSetInputFocus(eventDisplay_, event.xmap.window, RevertToParent, CurrentTime);
            XFlush(eventDisplay_);
            break;
        case KeyPress:
        case KeyRelease:
            if (WPARAM key = virtualKey(XLookupKeysym(&event.xkey, 0)))
                win32::postMessage(window, event.type == KeyPress ? WM_KEYDOWN : WM_KEYUP, key,
                                   event.type == KeyPress ? 1 : LPARAM(0xC0000001u));
            break;
        case MotionNotify:
            win32::postMessage(window, WM_MOUSEMOVE, buttonState(event.xmotion.state),
                               MAKELPARAM(event.xmotion.x, event.xmotion.y));
            break;
        case ButtonPress:
        case ButtonRelease: {
            bool down = event.type == ButtonPress;
            UINT message = 0;
            if (event.xbutton.button == Button1)
                message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            else if (event.xbutton.button == Button3)
                message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            if (message)
                win32::postMessage(window, message, buttonState(event.xbutton.state),
                                   MAKELPARAM(event.xbutton.x, event.xbutton.y));
            break;
        }
        default:
            break;
        }
    }
}

POINT X11Backend::cursorPosition()
{
    ::Window root, child;
    int rootX = 0, rootY = 0, x, y;
    unsigned mask;
    XQueryPointer(display_, root_, &root, &child, &rootX, &rootY, &x, &y, &mask);
    return POINT{rootX - monitor_.x, rootY - monitor_.y};
}

void X11Backend::setCursor(const win32::Cursor *) {}

UINT X11Backend::trackPopupMenu(const win32::Menu &, int, int, HWND)
{
    return 0;
}

} // namespace x11
