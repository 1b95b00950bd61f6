// Message queues, the message loop's calls, SendMessage and window timers.
#include "backend.h"
#include "user.h"

#include <algorithm>
#include <atomic>

namespace win32 {

std::mutex &userMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<ThreadState> currentThreadShared()
{
    static std::atomic<DWORD> nextId{1};
    thread_local std::shared_ptr<ThreadState> self = [] {
        auto state = std::make_shared<ThreadState>();
        state->id = nextId++;
        return state;
    }();
    return self;
}

ThreadState &currentThread()
{
    return *currentThreadShared();
}

bool postMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto window = handles().find<Window>(handle);
    if (!window)
        return false;
    std::lock_guard lock(userMutex());
    MSG msg{handle, message, wParam, lParam, DWORD(backend().now()), POINT{0, 0}};
    window->owner->queue.posted.push_back(msg);
    backend().wake(*window->owner);
    return true;
}

namespace {

LRESULT callProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto window = handles().find<Window>(handle);
    if (!window)
        return 0;
    return window->procedure(handle, message, wParam, lParam);
}

std::vector<Timer>::iterator timerOf(std::vector<Timer> &timers, HWND window, UINT_PTR id)
{
    return std::find_if(timers.begin(), timers.end(), [&](const Timer &t) { return t.window == window && t.id == id; });
}

} // namespace

bool MessageFilter::accepts(HWND hwnd, UINT message) const
{
    if (window && hwnd != window)
        return false;
    if (min == 0 && max == 0)
        return true;
    return message >= min && message <= max;
}

Taken takeMessage(std::unique_lock<std::mutex> &lock, const MessageFilter &filter, bool takeQuit, MSG &msg)
{
    MessageQueue &queue = currentThread().queue;
    // Messages sent from other threads run first, while this thread waits for its own.
    if (!queue.sent.empty()) {
        auto sent = queue.sent.front();
        queue.sent.pop_front();
        lock.unlock();
        LRESULT result = callProcedure(sent->window, sent->message, sent->wParam, sent->lParam);
        lock.lock();
        sent->result = result;
        sent->done = true;
        backend().wake(*sent->sender);
        return Taken::Sent;
    }
    auto found = std::find_if(queue.posted.begin(), queue.posted.end(),
                              [&](const MSG &m) { return filter.accepts(m.hwnd, m.message); });
    if (found != queue.posted.end()) {
        msg = *found;
        queue.posted.erase(found);
        return Taken::Message;
    }
    if (takeQuit && queue.quitPosted) {
        queue.quitPosted = false;
        msg = MSG{nullptr, WM_QUIT, WPARAM(queue.quitCode), 0, DWORD(backend().now()), POINT{0, 0}};
        return Taken::Quit;
    }
    // A timer that is due yields one WM_TIMER and starts its next interval from now.
    std::int64_t now = backend().now();
    for (auto &timer : queue.timers) {
        if (timer.due <= now && filter.accepts(timer.window, WM_TIMER)) {
            timer.due = now + timer.interval;
            msg = MSG{timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure), DWORD(now),
                      POINT{0, 0}};
            return Taken::Message;
        }
    }
    return Taken::Nothing;
}

// Timers the filter turns away neither fire nor wake the thread.
std::optional<std::int64_t> nextTimerDue(const MessageFilter &filter)
{
    std::optional<std::int64_t> due;
    for (const auto &timer : currentThread().queue.timers)
        if (filter.accepts(timer.window, WM_TIMER) && (!due || timer.due < *due))
            due = timer.due;
    return due;
}

} // namespace win32

using namespace win32;

extern "C" BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (!msg)
        return -1;
    const MessageFilter filter{window, filterMin, filterMax};
    std::unique_lock lock(userMutex());
    for (;;) {
        switch (takeMessage(lock, filter, true, *msg)) {
        case Taken::Message:
            return TRUE;
        case Taken::Quit:
            return FALSE;
        case Taken::Sent:
            continue;
        case Taken::Nothing:
            backend().block(lock, currentThread(), nextTimerDue(filter));
            continue;
        }
    }
}

// Characters are never generated: the program reads keys only as WM_KEYDOWN.
extern "C" BOOL WINAPI TranslateMessage(const MSG *)
{
    return FALSE;
}

extern "C" LRESULT WINAPI DispatchMessageA(const MSG *msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    return callProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

extern "C" LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto window = handles().find<Window>(handle);
    if (!window)
        return 0;
    auto self = currentThreadShared();
    if (window->owner == self)
        return window->procedure(handle, message, wParam, lParam);

    // Another thread's window: its thread runs the message and this one waits for the result.
    auto sent = std::make_shared<SentMessage>(SentMessage{handle, message, wParam, lParam, 0, false, self});
    std::unique_lock lock(userMutex());
    window->owner->queue.sent.push_back(sent);
    backend().wake(*window->owner);
    while (!sent->done)
        backend().block(lock, *self, std::nullopt);
    return sent->result;
}

extern "C" void WINAPI PostQuitMessage(int exitCode)
{
    std::lock_guard lock(userMutex());
    MessageQueue &queue = currentThread().queue;
    queue.quitPosted = true;
    queue.quitCode = exitCode;
}

extern "C" UINT_PTR WINAPI SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC timerProc)
{
    auto window = handles().find<Window>(handle);
    if (!window)
        return 0;
    // Windows keeps intervals within USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM.
    elapse = std::clamp<UINT>(elapse, 0x0000000A, 0x7FFFFFFF);
    {
        std::lock_guard lock(userMutex());
        auto &timers = window->owner->queue.timers;
        std::int64_t due = backend().now() + elapse;
        auto same = timerOf(timers, handle, id);
        if (same != timers.end())
            *same = Timer{handle, id, elapse, due, timerProc};
        else
            timers.push_back(Timer{handle, id, elapse, due, timerProc});
        backend().wake(*window->owner);
    }
    backend().timerSet(id, elapse);
    return id;
}

// A WM_TIMER is made only when the message loop finds the timer due, so none is left over.
extern "C" BOOL WINAPI KillTimer(HWND handle, UINT_PTR id)
{
    auto window = handles().find<Window>(handle);
    if (!window)
        return FALSE;
    std::lock_guard lock(userMutex());
    auto &timers = window->owner->queue.timers;
    auto same = timerOf(timers, handle, id);
    if (same == timers.end())
        return FALSE;
    timers.erase(same);
    return TRUE;
}
