// The X11 backend's display side: the primary monitor, the screen snapshot, the overlay window
// and presenting its back store.
#include "x11_backend.h"

#include "../core/user.h"
#include "x11_connect.h"
#include "x11_identity.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace x11 {

namespace {

// Errors the backend expects and survives (a focus request before the window is viewable, a
// shared-memory attach the server refuses) must not end the program, as Xlib's default does.
std::atomic<bool> errorSeen = false;
int noteError(Display *, XErrorEvent *)
{
    errorSeen = true;
    return 0;
}

// A server that goes away takes the show with it: one line and status 1, as when the display
// can't be opened. Xlib would print its own message and exit. Both connections notice the loss,
// each on its own thread; the second waits here for the first to end the process.
int connectionLost(Display *display)
{
    static std::mutex once;
    once.lock();
    std::fprintf(stderr, "howdy: the X display '%s' went away\n", DisplayString(display));
    std::fflush(stderr);
    std::_Exit(1);
}

// The primary monitor, or the whole screen without XRandR monitors.
void findPrimary(Display *display, ::Window root, int screen, int &x, int &y, int &width, int &height)
{
    x = 0;
    y = 0;
    width = DisplayWidth(display, screen);
    height = DisplayHeight(display, screen);
    int events, errors, count = 0;
    if (!XRRQueryExtension(display, &events, &errors))
        return;
    XRRMonitorInfo *monitors = XRRGetMonitors(display, root, True, &count);
    if (!monitors)
        return;
    for (int i = 0; i < count; ++i) {
        if (monitors[i].primary || i == 0) {
            x = monitors[i].x;
            y = monitors[i].y;
            width = monitors[i].width;
            height = monitors[i].height;
            if (monitors[i].primary)
                break;
        }
    }
    XRRFreeMonitors(monitors);
}

// How long a server that accepted the connection may take to answer it.
constexpr std::chrono::seconds kPatience{4};

} // namespace

NativeWindow::~NativeWindow()
{
    if (image) {
        image->data = nullptr;
        XDestroyImage(image);
    }
}

std::unique_ptr<X11Backend> X11Backend::open(std::string &error)
{
    XInitThreads();
    auto connections = connectDisplay(kPatience, error);
    if (!connections)
        return nullptr;
    std::unique_ptr<X11Backend> backend(new X11Backend);
    backend->display_ = connections->main;
    backend->eventDisplay_ = connections->events;
    XSetErrorHandler(noteError);
    XSetIOErrorHandler(connectionLost);
    Display *d = backend->display_;
    backend->screen_ = DefaultScreen(d);
    backend->root_ = RootWindow(d, backend->screen_);
    // The keyboard from the first moment: keys pressed while the snapshot is taken wait for the
    // overlay.
    backend->wantKeyboard(backend->root_);
    backend->visual_ = DefaultVisual(d, backend->screen_);
    if (DefaultDepth(d, backend->screen_) < 24 || backend->visual_->red_mask != 0xFF0000 ||
        backend->visual_->green_mask != 0xFF00 || backend->visual_->blue_mask != 0xFF) {
        error = "the X display is not 24-bit true colour";
        return nullptr;
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("can't make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    backend->wakeRead_ = wake[0];
    backend->wakeWrite_ = wake[1];
    backend->gc_ = XCreateGC(d, backend->root_, 0, nullptr);
    Monitor &m = backend->monitor_;
    findPrimary(d, backend->root_, backend->screen_, m.x, m.y, m.width, m.height);
    backend->shmAvailable_ = XShmQueryExtension(d);
    backend->shmCompletion_ = XShmGetEventBase(d) + ShmCompletion;
    backend->managed_ = windowManagerRuns(d, backend->root_);
    backend->arrow_ = XCreateFontCursor(d, XC_left_ptr);

    // The events thread is never stopped; it ends with the process.
    std::thread([raw = backend.get()] { raw->runEvents(); }).detach();
    return backend;
}

X11Backend::~X11Backend() = default;

// The window manager's work area (_NET_WORKAREA, first desktop) within the primary monitor, in
// the monitor's coordinates; the whole monitor without a window manager that sets one.
RECT X11Backend::workArea()
{
    RECT area{0, 0, monitor_.width, monitor_.height};
    Atom property = XInternAtom(display_, "_NET_WORKAREA", True);
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (property == None || XGetWindowProperty(display_, root_, property, 0, 4, False, XA_CARDINAL, &type, &format,
                                               &count, &after, &data) != Success)
        return area;
    if (data && format == 32 && count >= 4) {
        auto *values = reinterpret_cast<long *>(data);
        area.left = std::max<LONG>(0, LONG(values[0]) - monitor_.x);
        area.top = std::max<LONG>(0, LONG(values[1]) - monitor_.y);
        area.right = std::min<LONG>(monitor_.width, LONG(values[0] + values[2]) - monitor_.x);
        area.bottom = std::min<LONG>(monitor_.height, LONG(values[1] + values[3]) - monitor_.y);
    }
    if (data)
        XFree(data);
    return area;
}

std::shared_ptr<const win32::Image> X11Backend::screenPicture()
{
    std::lock_guard lock(pictureMutex_);
    if (!picture_ && !windowShown_) {
        auto picture = std::make_shared<win32::Image>();
        picture->width = monitor_.width;
        picture->height = monitor_.height;
        picture->pixels.resize(std::size_t(monitor_.width) * std::size_t(monitor_.height));
        readScreen(0, 0, picture->surface());
        picture_ = std::move(picture);
    }
    return picture_;
}

void X11Backend::captureScreen(int x, int y, const win32::Surface &into)
{
    auto picture = screenPicture();
    if (!picture) {
        readScreen(x, y, into);
        return;
    }
    int width = std::min(into.width, picture->width - x), height = std::min(into.height, picture->height - y);
    for (int row = 0; row < height; ++row)
        std::copy_n(&picture->pixels[std::size_t(y + row) * std::size_t(picture->width) + std::size_t(x)], width,
                    into.pixels(row));
}

// Read in bands, so that no second copy of a large screen is ever held whole.
void X11Backend::readScreen(int x, int y, const win32::Surface &into)
{
    constexpr int kBandRows = 128;
    for (int top = 0; top < into.height; top += kBandRows) {
        int rows = std::min(kBandRows, into.height - top);
        XImage *image = XGetImage(display_, root_, monitor_.x + x, monitor_.y + y + top, unsigned(into.width),
                                  unsigned(rows), AllPlanes, ZPixmap);
        if (!image)
            return;
        bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
        for (int row = 0; row < rows; ++row) {
            std::uint32_t *out = into.pixels(top + row);
            if (direct) {
                const auto *in = reinterpret_cast<const std::uint32_t *>(image->data + row * image->bytes_per_line);
                for (int col = 0; col < into.width; ++col)
                    out[col] = in[col] & 0xFFFFFF;
            } else {
                for (int col = 0; col < into.width; ++col)
                    out[col] = std::uint32_t(XGetPixel(image, col, row)) & 0xFFFFFF;
            }
        }
        XDestroyImage(image);
    }
}

void X11Backend::createWindow(win32::Window &window, COLORREF background)
{
    auto native = std::make_shared<NativeWindow>();
    int width = std::max<int>(window.rect.right - window.rect.left, 1);
    int height = std::max<int>(window.rect.bottom - window.rect.top, 1);
    unsigned depth = unsigned(DefaultDepth(display_, screen_));

    // Without a window manager nobody would place, raise or focus a managed window.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = managed_ ? False : True;
    attributes.background_pixel = win32::pixelFromColour(background);
    attributes.cursor = arrow_;
    native->xwindow = XCreateWindow(display_, root_, monitor_.x + window.rect.left, monitor_.y + window.rect.top,
                                    unsigned(width), unsigned(height), 0, int(depth), InputOutput, visual_,
                                    CWOverrideRedirect | CWBackPixel | CWCursor, &attributes);
    describeWindow(display_, native->xwindow, window, managed_);

    // The back store is the image that frames are put from: shared with the server when it can.
    std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    if (shmAvailable_) {
        native->image = XShmCreateImage(display_, visual_, depth, ZPixmap, nullptr, &native->shm, unsigned(width),
                                        unsigned(height));
        int id = native->image ? shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600) : -1;
        if (id >= 0) {
            native->shm.shmid = id;
            native->shm.shmaddr = native->image->data = static_cast<char *>(shmat(id, nullptr, 0));
            native->shm.readOnly = False;
            errorSeen = false;
            XShmAttach(display_, &native->shm);
            XSync(display_, False);
            // Marked for removal now, so the segment goes with the process however it ends.
            shmctl(id, IPC_RMID, nullptr);
            native->usesShm = !errorSeen && native->shm.shmaddr != reinterpret_cast<char *>(-1);
        }
        if (!native->usesShm && native->image) {
            native->image->data = nullptr;
            XDestroyImage(native->image);
            native->image = nullptr;
        }
    }
    if (!native->usesShm) {
        char *data = static_cast<char *>(std::calloc(bytes, 1));
        native->image =
            XCreateImage(display_, visual_, depth, ZPixmap, 0, data, unsigned(width), unsigned(height), 32, 0);
    }
    window.surface = win32::Surface{reinterpret_cast<std::uint8_t *>(native->image->data), width, height,
                                    native->image->bytes_per_line, 32};
    std::uint32_t fill = win32::pixelFromColour(background);
    for (int y = 0; y < height; ++y)
        std::fill_n(window.surface.pixels(y), width, fill);
    native->handle = window.handle;
    window.native = native;

    // The window exists on the server before the input connection selects its events.
    XSync(display_, False);
    XSelectInput(eventDisplay_, native->xwindow,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     StructureNotifyMask | ExposureMask);
    XFlush(eventDisplay_);
    {
        std::lock_guard lock(mutex_);
        windows_[native->xwindow] = window.handle;
        if (!overlay_)
            overlay_ = native->xwindow;
    }
    wakeEvents();
}

void X11Backend::showWindow(win32::Window &window, bool visible)
{
    auto native = std::static_pointer_cast<NativeWindow>(window.native);
    if (visible) {
        {
            std::lock_guard lock(pictureMutex_);
            windowShown_ = true;
            picture_.reset();
        }
        XMapRaised(display_, native->xwindow);
    } else {
        XUnmapWindow(display_, native->xwindow);
    }
    XFlush(display_);
}

// Shared-memory puts are not waited for here: the store is written again only after the
// server has said that it read it (prepareWindow).
void X11Backend::presentWindow(win32::Window &window, const RECT &changed)
{
    std::int64_t time = now();
    if (frames_++ == 0)
        firstFrame_ = time;
    lastFrame_ = time;
    auto native = std::static_pointer_cast<NativeWindow>(window.native);
    RECT area = changed;
    {
        std::lock_guard lock(mutex_);
        if (auto found = exposed_.find(native->xwindow); found != exposed_.end()) {
            area = win32::unite(area, found->second);
            exposed_.erase(found);
        }
    }
    if (win32::isEmpty(area))
        return;
    unsigned width = unsigned(area.right - area.left), height = unsigned(area.bottom - area.top);
    if (native->usesShm) {
        XShmPutImage(display_, native->xwindow, gc_, native->image, area.left, area.top, area.left, area.top, width,
                     height, True);
        ++native->putsPending;
    } else {
        XPutImage(display_, native->xwindow, gc_, native->image, area.left, area.top, area.left, area.top, width,
                  height);
    }
    XFlush(display_);
}

std::string X11Backend::runSummary()
{
    char text[160];
    long keys = keysKept_;
    std::snprintf(text, sizeof text,
                  "%ld frames shown, the first %.3f s and the last %.3f s after the start, %ld key%s kept for the "
                  "overlay",
                  long(frames_), double(firstFrame_) / 1000, double(lastFrame_) / 1000, keys, keys == 1 ? "" : "s");
    std::string timer = DesktopBackend::runSummary();
    return timer.empty() ? text : text + (", " + timer);
}

void X11Backend::prepareWindow(win32::Window &window)
{
    auto native = std::static_pointer_cast<NativeWindow>(window.native);
    struct Wanted {
        int type;
        ::Window drawable;
    } wanted{shmCompletion_, native->xwindow};
    auto isWanted = [](Display *, XEvent *event, XPointer argument) -> Bool {
        auto *w = reinterpret_cast<Wanted *>(argument);
        return event->type == w->type && reinterpret_cast<XShmCompletionEvent *>(event)->drawable == w->drawable;
    };
    // Long done by the time the next frame is drawn; a second at most, should the server fail.
    for (int waited = 0; native->putsPending > 0 && waited < 1000; waited += 2) {
        XEvent event;
        if (XCheckIfEvent(display_, &event, isWanted, reinterpret_cast<XPointer>(&wanted))) {
            --native->putsPending;
            continue;
        }
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        poll(&connection, 1, 2);
    }
    native->putsPending = 0;
}

} // namespace x11
