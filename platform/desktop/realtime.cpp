// The real clock, threads of their own, and parking a thread until it is woken or a time comes.
#include "desktop_backend.h"

#include "../core/user.h"

#include <condition_variable>
#include <thread>

namespace desktop {

namespace {

// A thread parks on a condition variable of its own, under userMutex.
struct ParkedThread : win32::BackendThread {
    std::condition_variable wakeup;
    bool woken = false;
};

// Made on the thread's first wait or wake; every use holds userMutex.
ParkedThread &parked(win32::ThreadState &thread)
{
    if (!thread.backend)
        thread.backend = std::make_unique<ParkedThread>();
    return static_cast<ParkedThread &>(*thread.backend);
}

} // namespace

std::int64_t DesktopBackend::now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - start_).count();
}

std::time_t DesktopBackend::calendarTime()
{
    using namespace std::chrono;
    return std::time_t(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

void DesktopBackend::sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void DesktopBackend::startThread(std::function<void()> body)
{
    std::thread(std::move(body)).detach();
}

void DesktopBackend::block(std::unique_lock<std::mutex> &lock, win32::ThreadState &self,
                           std::optional<std::int64_t> until)
{
    ParkedThread &me = parked(self);
    auto woken = [&] { return me.woken; };
    if (until)
        me.wakeup.wait_until(lock, start_ + std::chrono::milliseconds(*until), woken);
    else
        me.wakeup.wait(lock, woken);
    me.woken = false;
}

void DesktopBackend::wake(win32::ThreadState &thread)
{
    ParkedThread &other = parked(thread);
    other.woken = true;
    other.wakeup.notify_all();
}

} // namespace desktop
