// The X11 backend: the overlay covers the primary monitor (fullscreen under a window manager,
// override-redirect without one), frames reach it through MIT-SHM where the server offers it,
// and a thread of its own, on a connection of its own, turns X input into window messages and
// runs the popup menu.
//
// Files: x11_connect (opening the display, with a bound on a server that never answers),
// x11_window (the monitor, the snapshot, the overlay and presenting), x11_identity (what a window
// manager reads: names, icon, pid, state), x11_input (the events thread, the keyboard grab),
// x11_menu (the popup menu's window) and x11_cursor.
#pragma once

#include "../core/rect.h"
#include "../desktop/desktop_backend.h"
#include "../desktop/popup_menu.h"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace x11 {

// One window's X side: the X window and the image its back store lives in.
struct NativeWindow {
    ::Window xwindow = 0;
    HWND handle = nullptr;
    XImage *image = nullptr;
    XShmSegmentInfo shm{};
    bool usesShm = false;
    // Shared-memory puts whose completion the drawing thread has not seen yet.
    int putsPending = 0;
    ~NativeWindow();
};

// A popup menu while it is up: its look and where it stands, and its window, which the events
// thread makes, paints and feeds input from.
struct MenuWindow {
    MenuWindow(const win32::Menu &menu, POINT origin) : look(menu), origin(origin) {}

    desktop::PopupMenu look;
    POINT origin; // the top-left corner on the root window
    int highlighted = -1;
    ::Window xwindow = 0;
    std::vector<std::uint32_t> pixels;
    XImage *image = nullptr;
    bool pointerGrabbed = false;
    std::int64_t grabDeadline = 0;
};

class X11Backend final : public desktop::DesktopBackend {
public:
    // Connects to $DISPLAY; on failure returns nothing and sets `error`.
    static std::unique_ptr<X11Backend> open(std::string &error);
    ~X11Backend() override;

    int screenWidth() override { return monitor_.width; }
    int screenHeight() override { return monitor_.height; }
    RECT workArea() override;
    void captureScreen(int x, int y, const win32::Surface &into) override;
    std::shared_ptr<const win32::Image> screenPicture() override;
    void createWindow(win32::Window &window, COLORREF background) override;
    void showWindow(win32::Window &window, bool visible) override;
    void prepareWindow(win32::Window &window) override;
    void presentWindow(win32::Window &window, const RECT &area) override;
    POINT cursorPosition() override;
    void setCursor(const win32::Cursor *cursor) override;
    void showMenu(const win32::Menu &menu, POINT at) override;
    void highlightMenu(int item) override;
    void hideMenu() override;

    // The frames presented so far, when the first and the last were, how many keys were kept for
    // the overlay before it existed, and the desktop's summary.
    std::string runSummary() override;

private:
    struct Monitor {
        int x = 0, y = 0, width = 0, height = 0;
    };
    // A key pressed before the overlay existed, delivered once it does.
    struct EarlyKey {
        UINT message;
        WPARAM key;
        LPARAM flags;
    };

    X11Backend() = default;

    // Reads the root window's pixels under the primary monitor at (x, y).
    void readScreen(int x, int y, const win32::Surface &into);

    // The events thread (x11_input.cpp).
    void runEvents();
    void wakeEvents();
    void handleEvent(XEvent &event);
    void deliverKey(const XKeyEvent &event);
    // Asks for the keyboard on `window` now and, while another client holds it, every 20 ms
    // for a while.
    void wantKeyboard(::Window window);
    void retryGrabs();
    std::optional<int> retryTimeout();
    // Posts the keys kept for the overlay, and shows the menu as the main thread wants it.
    void serviceRequests();
    HWND overlayHandle();

    // The popup menu on the events thread (x11_menu.cpp).
    void openMenu(std::shared_ptr<MenuWindow> menu);
    void menuEvent(const XEvent &event);
    void paintMenu();
    void closeMenu();

    ::Cursor cursorFor(const win32::Cursor *cursor);

    Display *display_ = nullptr;
    // Input arrives on a connection of its own, read only by the events thread.
    Display *eventDisplay_ = nullptr;
    int screen_ = 0;
    ::Window root_ = 0;
    Visual *visual_ = nullptr;
    GC gc_ = nullptr;
    Monitor monitor_;
    bool shmAvailable_ = false;
    int shmCompletion_ = 0; // the event type of a finished shared-memory put
    bool managed_ = false; // a window manager runs
    ::Cursor arrow_ = 0;
    std::map<const win32::Cursor *, ::Cursor> cursors_;
    std::mutex cursorMutex_;

    // The screen's picture, read whole at the first capture and let go when a window of ours is
    // first shown: until then the screen shows nothing of ours, and every capture reads it.
    std::mutex pictureMutex_;
    std::shared_ptr<const win32::Image> picture_;
    bool windowShown_ = false;

    // Shared between the threads, under mutex_.
    std::mutex mutex_;
    std::map<::Window, HWND> windows_;
    // What the server asked to be drawn again, shown with the next frame.
    std::map<::Window, RECT> exposed_;
    ::Window overlay_ = 0;
    // The menu the main thread wants shown (none: no menu), and the row it wants lit.
    std::shared_ptr<MenuWindow> menuWanted_;
    int menuHighlight_ = -1;

    // The events thread's own.
    int wakeRead_ = -1, wakeWrite_ = -1;
    ::Window keyboardWanted_ = 0;
    bool keyboardGrabbed_ = false;
    std::int64_t keyboardDeadline_ = 0;
    std::vector<EarlyKey> earlyKeys_;
    std::shared_ptr<MenuWindow> menu_;
    GC menuGc_ = nullptr;

    std::atomic<long> frames_ = 0, keysKept_ = 0;
    std::atomic<std::int64_t> firstFrame_ = 0, lastFrame_ = 0;
};

} // namespace x11
