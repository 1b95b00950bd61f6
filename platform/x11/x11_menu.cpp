// The popup menu's window: the main thread, running the menu loop, says which menu it wants shown
// and lit; the events thread shows it above the overlay, grabs the pointer and hands the loop the
// menu's input.
#include "x11_backend.h"

#include "../desktop/keysyms.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace x11 {

namespace {

// Long enough for another client's grab (a button held in a panel) to end.
constexpr std::int64_t kPointerPatienceMs = 1000;

} // namespace

void X11Backend::showMenu(const win32::Menu &menu, POINT at)
{
    auto wanted = std::make_shared<MenuWindow>(menu, POINT{});
    auto size = wanted->look.size();
    POINT corner = desktop::PopupMenu::place(size, at, RECT{0, 0, monitor_.width, monitor_.height});
    wanted->origin = POINT{monitor_.x + corner.x, monitor_.y + corner.y};
    {
        std::lock_guard lock(mutex_);
        menuWanted_ = std::move(wanted);
        menuHighlight_ = -1;
    }
    wakeEvents();
}

void X11Backend::highlightMenu(int item)
{
    {
        std::lock_guard lock(mutex_);
        menuHighlight_ = item;
    }
    wakeEvents();
}

void X11Backend::hideMenu()
{
    {
        std::lock_guard lock(mutex_);
        menuWanted_.reset();
    }
    wakeEvents();
}

void X11Backend::openMenu(std::shared_ptr<MenuWindow> menu)
{
    menu_ = std::move(menu);
    auto size = menu_->look.size();
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
    auto size = menu_->look.size();
    menu_->look.paint(win32::Surface{reinterpret_cast<std::uint8_t *>(menu_->pixels.data()), size.width,
                                     size.height, size.width * 4, 32},
                      menu_->highlighted);
    XPutImage(eventDisplay_, menu_->xwindow, menuGc_, menu_->image, 0, 0, 0, 0, unsigned(size.width),
              unsigned(size.height));
}

// With the pointer grabbed, its events may come reported on any window: the root position is
// what counts.
void X11Backend::menuEvent(const XEvent &event)
{
    using Pointer = desktop::PopupMenu::Pointer;
    const desktop::PopupMenu &look = menu_->look;
    auto local = [&](int rootX, int rootY) { return POINT{rootX - menu_->origin.x, rootY - menu_->origin.y}; };
    switch (event.type) {
    case MotionNotify:
        win32::deliverMenuInput(look.input(Pointer::Moved, local(event.xmotion.x_root, event.xmotion.y_root)));
        break;
    case ButtonPress:
        win32::deliverMenuInput(look.input(Pointer::Pressed, local(event.xbutton.x_root, event.xbutton.y_root)));
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1)
            win32::deliverMenuInput(
                look.input(Pointer::LeftReleased, local(event.xbutton.x_root, event.xbutton.y_root)));
        break;
    case KeyPress: {
        XKeyEvent key = event.xkey;
        if (WPARAM code = desktop::virtualKey(std::uint32_t(XLookupKeysym(&key, 0))))
            win32::deliverMenuInput(win32::MenuInput{win32::MenuInput::Kind::Key, -1, false, code});
        break;
    }
    default:
        break;
    }
}

void X11Backend::closeMenu()
{
    if (menu_->pointerGrabbed)
        XUngrabPointer(eventDisplay_, CurrentTime);
    XDestroyWindow(eventDisplay_, menu_->xwindow);
    menu_->image->data = nullptr;
    XDestroyImage(menu_->image);
    XFlush(eventDisplay_);
    menu_.reset();
}

} // namespace x11
