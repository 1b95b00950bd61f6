#include "realtime.h"

#include "user.h"

#include <thread>

namespace win32 {

std::int64_t RealtimeBackend::now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - start_).count();
}

std::time_t RealtimeBackend::calendarTime()
{
    using namespace std::chrono;
    return std::time_t(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

void RealtimeBackend::sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void RealtimeBackend::startThread(std::function<void()> body)
{
    std::thread(std::move(body)).detach();
}

void RealtimeBackend::block(std::unique_lock<std::mutex> &lock, ThreadState &self, std::optional<std::int64_t> until)
{
    auto woken = [&] { return self.woken; };
    if (until)
        self.wakeup.wait_until(lock, start_ + std::chrono::milliseconds(*until), woken);
    else
        self.wakeup.wait(lock, woken);
    self.woken = false;
}

void RealtimeBackend::wake(ThreadState &thread)
{
    thread.woken = true;
    thread.wakeup.notify_all();
}

} // namespace win32
