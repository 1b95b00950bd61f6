// Windows, threads and their message queues: the USER side of the layer.
#pragma once

#include "handles.h"
#include "surface.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

struct ThreadState;
struct Bitmap;

// A message sent from another thread, waiting for the owner thread to run it.
struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<ThreadState> sender;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT interval;
    std::int64_t due;
    TIMERPROC procedure;
};

struct MessageQueue {
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::vector<Timer> timers;
    bool quitPosted = false;
    int quitCode = 0;
};

// What the installed backend keeps for a thread, for its own use: only the backend makes and
// reads it; the thread's state owns it.
struct BackendThread {
    virtual ~BackendThread() = default;
};

// Per-thread state, made on a thread's first call into the layer.
struct ThreadState {
    DWORD id = 0;
    MessageQueue queue;
    std::unique_ptr<BackendThread> backend;
};

struct Window : Object {
    static constexpr Kind kKind = Kind::Window;
    Window() : Object(kKind) {}

    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    // The class's name as registered and its icon, for desktops that show them.
    std::string className;
    HICON icon = nullptr;
    std::string title;
    DWORD style = 0;
    RECT rect{};
    bool visible = false;
    std::shared_ptr<ThreadState> owner;
    // The back store that window DCs draw on; the backend provides it and shows it.
    Surface surface;
    // The bitmap whose pixels the back store now is (see Bitmap::shownOn), under gdiMutex.
    std::weak_ptr<Bitmap> frame;
    std::shared_ptr<void> native;
};

// Guards every queue, timer and window field above; never held while a window procedure runs.
std::mutex &userMutex();

ThreadState &currentThread();
std::shared_ptr<ThreadState> currentThreadShared();

// GetMessage's window and message-range filter.
struct MessageFilter {
    HWND window = nullptr;
    UINT min = 0, max = 0;

    bool accepts(HWND hwnd, UINT message) const;
};

enum class Taken { Sent, Message, Quit, Nothing };

// The calling thread's next message, with userMutex held by `lock`: a message another thread
// sent is run at once (the lock released meanwhile) and reported as Sent; else the first posted
// message the filter takes; else WM_QUIT, if posted and `takeQuit`; else a due timer's WM_TIMER.
Taken takeMessage(std::unique_lock<std::mutex> &lock, const MessageFilter &filter, bool takeQuit, MSG &msg);
// When the next timer the filter takes falls due, for a thread about to wait.
std::optional<std::int64_t> nextTimerDue(const MessageFilter &filter);

// Posts a message to the queue of the window's thread and wakes that thread. The caller must
// not hold userMutex. Returns false for a stale window handle.
bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The windows that exist now, oldest first.
std::vector<std::shared_ptr<Window>> liveWindows();

} // namespace win32
