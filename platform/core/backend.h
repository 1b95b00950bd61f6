// What the layer needs from the host it runs on. One backend is installed per process, before
// WinMain: x11 or wayland for the real desktop (both built on desktop/, what live Linux desktops
// share), headless for recordings and tests. The core holds the Win32 state (handles, queues, GDI
// objects, the menu loop); a backend only shows, times and records it.
#pragma once

#include "surface.h"

#include <windows.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace win32 {

struct Window;
struct ThreadState;
struct Menu;
struct Cursor;

// Uncompressed PCM samples, as a WAVE resource holds them.
struct Wave {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    const std::uint8_t *samples = nullptr;
    std::size_t bytes = 0;
};

// What ShellExecuteA was asked to do; absent parts were null.
struct ShellRequest {
    std::optional<std::string> verb;
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
};

class Backend {
public:
    virtual ~Backend() = default;

    // What the backend has to say about the run when it ends, for HOWDY_DEBUG; may be empty.
    virtual std::string runSummary() { return {}; }

    // The primary screen, in pixels.
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    // The part of the primary screen that panels and taskbars leave to windows.
    virtual RECT workArea() = 0;
    // Copies what the screen shows at (x, y) into `into` (a colour surface), clipped to the screen.
    virtual void captureScreen(int x, int y, const Surface &into) = 0;
    // The whole screen's picture while nothing of ours is shown on it, which captures read
    // meanwhile and bitmaps copied whole from the screen share; never written once handed out.
    // Null when the backend keeps none, or once a window of ours has been shown.
    virtual std::shared_ptr<const Image> screenPicture() { return nullptr; }

    // Gives the window its back store (window.surface), filled with `background`.
    virtual void createWindow(Window &window, COLORREF background) = 0;
    virtual void showWindow(Window &window, bool visible) = 0;
    // The layer is about to draw on the window's back store. A backend whose display may still
    // be reading the store for an earlier presentWindow waits here until it has read it.
    virtual void prepareWindow(Window &) {}
    // Something was drawn on the window's back store and changed it within `area`, which is
    // empty when the drawing changed nothing: show it.
    virtual void presentWindow(Window &window, const RECT &area) = 0;

    // Milliseconds on the clock that timers and Sleep follow, and the calendar time in seconds.
    virtual std::int64_t now() = 0;
    virtual std::time_t calendarTime() = 0;
    virtual void sleep(DWORD milliseconds) = 0;

    // Runs `body` on a new thread that the backend knows about.
    virtual void startThread(std::function<void()> body) = 0;
    // Parks the calling thread, which holds `lock` on userMutex, until wake() is called for it or
    // the clock reaches `until`. The lock is released while parked; callers re-check their
    // condition. wake() is called with userMutex held.
    virtual void block(std::unique_lock<std::mutex> &lock, ThreadState &self, std::optional<std::int64_t> until) = 0;
    virtual void wake(ThreadState &thread) = 0;

    // Starts a sound in place of any sound still playing; `name` is the name it was asked by,
    // "SystemDefault" when the system's default sound stands in for a missing one.
    virtual void playSound(const Wave &wave, const std::string &name) = 0;
    virtual void stopSounds() = 0;

    // The pointer: where it is, in screen pixels, and the cursor it shows (null: the arrow).
    virtual POINT cursorPosition() = 0;
    virtual void setCursor(const Cursor *cursor) = 0;
    // The popup menu that TrackPopupMenu runs, one at a time: shown with its top-left corner at
    // `at` (or moved to stay on the screen) and no item highlighted, until hideMenu. While it is
    // up the backend hands its input to deliverMenuInput; highlightMenu shows row `item`
    // highlighted (-1: none). Called on the tracking thread.
    virtual void showMenu(const Menu &menu, POINT at) = 0;
    virtual void highlightMenu(int item) = 0;
    virtual void hideMenu() = 0;

    // Drive C: of Windows paths, of which only the root holds files. Opens the file `name`
    // there with open(2)'s flags, never following a symbolic link, and returns a descriptor, or
    // -1 with errno set.
    virtual int openDriveFile(const std::string &name, int flags) = 0;
    virtual bool removeDriveFile(const std::string &name) = 0;
    // What stands for the Windows directory.
    virtual std::string windowsDirectory() = 0;
    // The program that opens the drive file `name`, by its type, as a command with any
    // arguments of its own; or the shell's error code, 32 or less.
    virtual std::variant<std::string, int> findExecutable(const std::string &name) = 0;
    // Starts the program `file` with the parameters as its command line, or opens the address
    // `file` with the desktop's program for it. Returns more than 32 on success, else the
    // shell's error code.
    virtual int shellExecute(const ShellRequest &request) = 0;

    // Outside effects that a recording notes.
    virtual void timerSet(UINT_PTR id, UINT milliseconds) = 0;
};

// The installed backend; installing replaces the previous one. Until the first is installed
// there is none (the C library may ask for the time before then).
Backend &backend();
bool backendInstalled();
void installBackend(std::unique_ptr<Backend> backend);

} // namespace win32
