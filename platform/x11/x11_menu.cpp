// The popup menu's window: TrackPopupMenu hands the menu to the events thread, which shows it
// above the overlay, grabs the pointer and feeds it input until it closes.
#include "x11_backend.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace x11 {

namespace {

// Long enough for another client's grab (a button held in a panel) to end.
constexpr std::int64_t kPointerPatienceMs = 1000;

std::optional<win32::PopupMenu::Key> menuKey(KeySym key)
{
    using Key = win32::PopupMenu::Key;
    switch (key) {
    case XK_Up:
    case XK_KP_Up:
        return Key::Up;
    case XK_Down:
    case XK_KP_Down:
        return Key::Down;
    case XK_Home:
    case XK_KP_Home:
        return Key::Home;
    case XK_End:
    case XK_KP_End:
        return Key::End;
    case XK_Return:
    case XK_KP_Enter:
        return Key::Enter;
    case XK_Escape:
        return Key::Escape;
    default:
        return std::nullopt;
    }
}

} // namespace

// Runs on the program's main thread, which waits here until the menu closes.
UINT X11Backend::trackPopupMenu(const win32::Menu &menu, int x, int y, HWND)
{
    auto session = std::make_shared<MenuSession>(menu, POINT{});
    auto size = session->menu.size();
    POINT corner = win32::PopupMenu::place(size, POINT{x, y}, RECT{0, 0, monitor_.width, monitor_.height});
    session->origin = POINT{monitor_.x + corner.x, monitor_.y + corner.y};
    {
        std::lock_guard lock(mutex_);
        menuRequest_ = session;
    }
    wakeEvents();
    std::unique_lock lock(session->mutex);
    session->finished.wait(lock, [&] { return session->done; });
    return session->menu.command();
}

void X11Backend::openMenu(std::shared_ptr<MenuSession> session)
{
    menu_ = std::move(session);
    auto size = menu_->menu.size();
    int depth = DefaultDepth(eventDisplay_, screen_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.cursor = arrow_;
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    menu_->xwindow = XCreateWindow(eventDisplay_, root_, menu_->origin.x, menu_->origin.y, unsigned(size.width),
                                   unsigned(size.height), 0, depth, InputOutput, visual_,
                                   CWOverrideRedirect | CWSaveUnder | CWCursor | CWEventMask, &attributes);
    Atom type = XInternAtom(eventDisplay_, "_NET_WM_WINDOW_TYPE", False);
    long popup = long(XInternAtom(eventDisplay_, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False));
    XChangeProperty(eventDisplay_, menu_->xwindow, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&popup), 1);
    menu_->pixels.assign(std::size_t(size.width) * std::size_t(size.height), 0);
    menu_->image = XCreateImage(eventDisplay_, visual_, unsigned(depth), ZPixmap, 0,
                                reinterpret_cast<char *>(menu_->pixels.data()), unsigned(size.width),
                                unsigned(size.height), 32, size.width * 4);
    if (!menuGc_)
        menuGc_ = XCreateGC(eventDisplay_, root_, 0, nullptr);
    menu_->grabDeadline = now() + kPointerPatienceMs;
    XMapRaised(eventDisplay_, menu_->xwindow);
}

void X11Backend::paintMenu()
{
    auto size = menu_->menu.size();
    menu_->menu.paint(win32::Surface{reinterpret_cast<std::uint8_t *>(menu_->pixels.data()), size.width,
                                     size.height, size.width * 4, 32});
    XPutImage(eventDisplay_, menu_->xwindow, menuGc_, menu_->image, 0, 0, 0, 0, unsigned(size.width),
              unsigned(size.height));
}

// With the pointer grabbed, its events may come reported on any window: the root position is
// what counts.
void X11Backend::menuEvent(const XEvent &event)
{
    win32::PopupMenu &menu = menu_->menu;
    auto local = [&](int rootX, int rootY) { return POINT{rootX - menu_->origin.x, rootY - menu_->origin.y}; };
    bool repaint = false;
    switch (event.type) {
    case MotionNotify:
        repaint = menu.pointerMoved(local(event.xmotion.x_root, event.xmotion.y_root));
        break;
    case ButtonPress:
        repaint = menu.buttonPressed(local(event.xbutton.x_root, event.xbutton.y_root));
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1)
            repaint = menu.buttonReleased(local(event.xbutton.x_root, event.xbutton.y_root));
        break;
    case KeyPress: {
        XKeyEvent key = event.xkey;
        if (auto pressed = menuKey(XLookupKeysym(&key, 0)))
            repaint = menu.keyPressed(*pressed);
        break;
    }
    default:
        break;
    }
    if (menu.closed())
        closeMenu();
    else if (repaint)
        paintMenu();
}

void X11Backend::closeMenu()
{
    if (menu_->pointerGrabbed)
        XUngrabPointer(eventDisplay_, CurrentTime);
    XDestroyWindow(eventDisplay_, menu_->xwindow);
    menu_->image->data = nullptr;
    XDestroyImage(menu_->image);
    XFlush(eventDisplay_);
    auto session = std::move(menu_);
    {
        std::lock_guard lock(session->mutex);
        session->done = true;
    }
    session->finished.notify_all();
}

} // namespace x11
