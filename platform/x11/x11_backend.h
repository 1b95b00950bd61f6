// The X11 backend: the overlay is an override-redirect window on the primary monitor, frames
// reach it through MIT-SHM where the server offers it, and a thread of its own turns X input
// into window messages.
#pragma once

#include "../core/realtime.h"
#include "alsa_sound.h"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace x11 {

// One window's X side: the X window and the image its back store lives in.
struct NativeWindow {
    ::Window xwindow = 0;
    HWND handle = nullptr;
    XImage *image = nullptr;
    XShmSegmentInfo shm{};
    bool usesShm = false;
    ~NativeWindow();
};

class X11Backend final : public win32::RealtimeBackend {
public:
    // Connects to $DISPLAY; on failure returns nothing and sets `error`.
    static std::unique_ptr<X11Backend> open(std::string &error);
    ~X11Backend() override;

    int screenWidth() override { return monitor_.width; }
    int screenHeight() override { return monitor_.height; }
    RECT workArea() override;
    void captureScreen(int x, int y, const win32::Surface &into) override;
    void createWindow(win32::Window &window, COLORREF background) override;
    void showWindow(win32::Window &window, bool visible) override;
    void presentWindow(win32::Window &window, const RECT &area) override;
    void playSound(const win32::Wave &wave, const std::string &name) override;
    void stopSounds() override;
    void timerSet(UINT_PTR, UINT) override {}
    POINT cursorPosition() override;
    void setCursor(const win32::Cursor *cursor) override;
    UINT trackPopupMenu(const win32::Menu &menu, int x, int y, HWND owner) override;

private:
    struct Monitor {
        int x = 0, y = 0, width = 0, height = 0;
    };

    X11Backend() = default;
    void runEvents();
    HWND windowFor(::Window xwindow);

    Display *display_ = nullptr;
    // Input arrives on a connection of its own, read by the events thread.
    Display *eventDisplay_ = nullptr;
    int screen_ = 0;
    ::Window root_ = 0;
    Visual *visual_ = nullptr;
    GC gc_ = nullptr;
    Monitor monitor_;
    bool shmAvailable_ = false;
    std::mutex windowsMutex_;
    std::map<::Window, HWND> windows_;
    std::thread events_;
    std::unique_ptr<AlsaSound> sound_;
};

} // namespace x11
