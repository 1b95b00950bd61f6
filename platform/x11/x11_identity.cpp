#include "x11_identity.h"

#include "../core/resources.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace x11 {

namespace {

Atom atom(Display *display, const char *name)
{
    return XInternAtom(display, name, False);
}

// A property of 32-bit items, which Xlib takes as longs.
void setLongs(Display *display, ::Window window, const char *name, Atom type, const std::vector<long> &values)
{
    XChangeProperty(display, window, atom(display, name), type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(values.data()), int(values.size()));
}

std::optional<::Window> checkWindow(Display *display, ::Window of)
{
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::optional<::Window> found;
    if (XGetWindowProperty(display, of, atom(display, "_NET_SUPPORTING_WM_CHECK"), 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 1)
        found = ::Window(reinterpret_cast<long *>(data)[0]);
    if (data)
        XFree(data);
    return found;
}

// The title is in the program's ANSI code page, taken as Latin-1.
std::string utf8FromLatin1(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

bool windowManagerRuns(Display *display, ::Window root)
{
    // A check window left behind by a window manager that has gone names nothing, or fails.
    auto check = checkWindow(display, root);
    return check && checkWindow(display, *check) == check;
}

void describeWindow(Display *display, ::Window xwindow, const win32::Window &window, bool managed)
{
    std::string program = program_invocation_short_name;
    XClassHint classHint{program.data(), const_cast<char *>(window.className.c_str())};
    XSetClassHint(display, xwindow, &classHint);
    XStoreName(display, xwindow, window.title.c_str());
    std::string name = utf8FromLatin1(window.title);
    XChangeProperty(display, xwindow, atom(display, "_NET_WM_NAME"), atom(display, "UTF8_STRING"), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(name.data()), int(name.size()));
    setLongs(display, xwindow, "_NET_WM_PID", XA_CARDINAL, {long(getpid())});
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) == 0) {
        XTextProperty machine{reinterpret_cast<unsigned char *>(host), XA_STRING, 8, std::strlen(host)};
        XSetWMClientMachine(display, xwindow, &machine);
    }
    if (auto icon = win32::handles().find<win32::Icon>(window.icon); icon && !icon->images.empty()) {
        std::vector<long> values;
        for (const auto &image : icon->images) {
            values.push_back(image.width);
            values.push_back(image.height);
            values.insert(values.end(), image.argb.begin(), image.argb.end());
        }
        setLongs(display, xwindow, "_NET_WM_ICON", XA_CARDINAL, values);
    }
    if (!managed)
        return;

    // Fullscreen and above docks, at the monitor's corner and size, without a frame.
    int width = window.rect.right - window.rect.left, height = window.rect.bottom - window.rect.top;
    XSizeHints *hints = XAllocSizeHints();
    hints->flags = USPosition | USSize | PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, xwindow, hints);
    XFree(hints);
    setLongs(display, xwindow, "_NET_WM_STATE", XA_ATOM,
             {long(atom(display, "_NET_WM_STATE_FULLSCREEN")), long(atom(display, "_NET_WM_STATE_ABOVE"))});
    setLongs(display, xwindow, "_NET_WM_WINDOW_TYPE", XA_ATOM, {long(atom(display, "_NET_WM_WINDOW_TYPE_NORMAL"))});
    // flags (decorations given), functions, decorations (none), input mode, status.
    setLongs(display, xwindow, "_MOTIF_WM_HINTS", atom(display, "_MOTIF_WM_HINTS"), {2, 0, 0, 0, 0});
}

} // namespace x11
