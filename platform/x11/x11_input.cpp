// The X11 backend's events thread: keys and buttons become window messages, the keyboard is
// held from the start, and the popup menu gets the input while it is open.
#include "x11_backend.h"

#include "../core/user.h"
#include "../desktop/keysyms.h"

#include <poll.h>
#include <unistd.h>

namespace x11 {

namespace {

// How often and how long a grab that another client keeps us from is asked for again.
constexpr int kGrabRetryMs = 20;
constexpr std::int64_t kKeyboardPatienceMs = 3000;
// Keys pressed before the overlay exists that are kept for it.
constexpr std::size_t kEarlyKeysKept = 64;

WPARAM buttonState(unsigned state)
{
    return (state & Button1Mask ? MK_LBUTTON : 0) | (state & Button3Mask ? MK_RBUTTON : 0);
}

} // namespace

void X11Backend::wakeEvents()
{
    char byte = 1;
    // A full pipe already holds a wake-up.
    if (write(wakeWrite_, &byte, 1) < 0)
        return;
}

void X11Backend::runEvents()
{
    pollfd watched[2] = {{ConnectionNumber(eventDisplay_), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    for (;;) {
        serviceRequests();
        retryGrabs();
        // Round trips above may have queued events; XPending also flushes what was asked.
        while (XPending(eventDisplay_)) {
            XEvent event;
            XNextEvent(eventDisplay_, &event);
            handleEvent(event);
        }
        auto timeout = retryTimeout();
        poll(watched, 2, timeout ? *timeout : -1);
        if (watched[1].revents & POLLIN) {
            char drained[64];
            while (read(wakeRead_, drained, sizeof drained) > 0) {
            }
        }
    }
}

HWND X11Backend::overlayHandle()
{
    std::lock_guard lock(mutex_);
    return overlay_ ? windows_[overlay_] : nullptr;
}

void X11Backend::serviceRequests()
{
    std::shared_ptr<MenuWindow> wanted;
    int highlight;
    {
        std::lock_guard lock(mutex_);
        wanted = menuWanted_;
        highlight = menuHighlight_;
    }
    if (!earlyKeys_.empty()) {
        if (HWND overlay = overlayHandle()) {
            for (const EarlyKey &key : earlyKeys_)
                win32::postMessage(overlay, key.message, key.key, key.flags);
            earlyKeys_.clear();
        }
    }
    if (menu_ != wanted) {
        if (menu_)
            closeMenu();
        // Painted once the server has mapped it.
        if (wanted)
            openMenu(std::move(wanted));
    }
    if (menu_ && menu_->highlighted != highlight) {
        menu_->highlighted = highlight;
        paintMenu();
    }
}

void X11Backend::wantKeyboard(::Window window)
{
    keyboardWanted_ = window;
    keyboardGrabbed_ = false;
    keyboardDeadline_ = now() + kKeyboardPatienceMs;
    retryGrabs();
}

void X11Backend::retryGrabs()
{
    std::int64_t time = now();
    if (!keyboardGrabbed_ && time < keyboardDeadline_)
        keyboardGrabbed_ = XGrabKeyboard(eventDisplay_, keyboardWanted_, False, GrabModeAsync, GrabModeAsync,
                                         CurrentTime) == GrabSuccess;
    // A menu that can't have the pointer could never see the click that dismisses it: it is
    // dismissed, and closed when the menu loop says so.
    if (menu_ && !menu_->pointerGrabbed && menu_->grabDeadline) {
        if (time >= menu_->grabDeadline) {
            menu_->grabDeadline = 0;
            win32::deliverMenuInput(win32::MenuInput{win32::MenuInput::Kind::Choose});
            return;
        }
        menu_->pointerGrabbed = XGrabPointer(eventDisplay_, menu_->xwindow, False,
                                             ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                             GrabModeAsync, None, arrow_, CurrentTime) == GrabSuccess;
    }
}

std::optional<int> X11Backend::retryTimeout()
{
    if ((!keyboardGrabbed_ && now() < keyboardDeadline_) || (menu_ && !menu_->pointerGrabbed && menu_->grabDeadline))
        return kGrabRetryMs;
    return std::nullopt;
}

void X11Backend::deliverKey(const XKeyEvent &event)
{
    XKeyEvent copy = event;
    WPARAM key = desktop::virtualKey(std::uint32_t(XLookupKeysym(&copy, 0)));
    if (!key)
        return;
    bool down = event.type == KeyPress;
    EarlyKey message{UINT(down ? WM_KEYDOWN : WM_KEYUP), key, down ? 1 : LPARAM(0xC0000001u)};
    if (HWND overlay = overlayHandle())
        win32::postMessage(overlay, message.message, message.key, message.flags);
    else if (earlyKeys_.size() < kEarlyKeysKept) {
        earlyKeys_.push_back(message);
        ++keysKept_;
    }
}

void X11Backend::handleEvent(XEvent &event)
{
    HWND window = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (auto found = windows_.find(event.xany.window); found != windows_.end())
            window = found->second;
    }
    bool onMenu = menu_ && event.xany.window == menu_->xwindow;
    switch (event.type) {
    case MapNotify:
        if (onMenu) {
            paintMenu();
            retryGrabs();
        } else if (window) {
            // An override-redirect window gets no focus from a window manager: take it, and the
            // keyboard with it.
            XSetInputFocus(eventDisplay_, event.xmap.window, RevertToParent, CurrentTime);
            wantKeyboard(event.xmap.window);
        }
        break;
    case Expose:
        if (onMenu && event.xexpose.count == 0) {
            paintMenu();
        } else if (window) {
            // Shown again with the next frame, which comes within a tenth of a second.
            RECT area{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                      event.xexpose.y + event.xexpose.height};
            std::lock_guard lock(mutex_);
            auto [found, added] = exposed_.try_emplace(event.xexpose.window, area);
            if (!added)
                found->second = win32::unite(found->second, area);
        }
        break;
    case KeyPress:
    case KeyRelease:
        // With the keyboard grabbed, keys come reported on the root, the overlay or the menu.
        if (menu_)
            menuEvent(event);
        else
            deliverKey(event.xkey);
        break;
    case MotionNotify:
        if (menu_)
            menuEvent(event);
        else if (window)
            win32::postMessage(window, WM_MOUSEMOVE, buttonState(event.xmotion.state),
                               MAKELPARAM(event.xmotion.x, event.xmotion.y));
        break;
    case ButtonPress:
    case ButtonRelease: {
        if (menu_) {
            menuEvent(event);
            break;
        }
        bool down = event.type == ButtonPress;
        UINT message = 0;
        if (event.xbutton.button == Button1)
            message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (event.xbutton.button == Button3)
            message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        if (message && window)
            win32::postMessage(window, message, buttonState(event.xbutton.state),
                               MAKELPARAM(event.xbutton.x, event.xbutton.y));
        break;
    }
    default:
        break;
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

} // namespace x11
