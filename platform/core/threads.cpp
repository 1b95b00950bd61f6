// Threads, Sleep and the calendar time.
#include "backend.h"
#include "handles.h"

#include <atomic>
#include <chrono>

namespace win32 {

namespace {

struct Thread : Object {
    static constexpr Kind kKind = Kind::Thread;
    Thread() : Object(kKind) {}
};

} // namespace

} // namespace win32

using namespace win32;

// The pseudo-handle that stands for the calling process, as Windows gives it.
extern "C" HANDLE WINAPI GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(LONG_PTR{-1});
}

// The thread's handle is never closed by the program, and the layer keeps it for the process's
// life; only the thread's start routine and parameter are honoured.
extern "C" HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                                      DWORD flags, LPDWORD threadId)
{
    if (!start || flags != 0)
        return nullptr;
    static std::atomic<DWORD> nextId{0x100};
    DWORD id = nextId++;
    if (threadId)
        *threadId = id;
    backend().startThread([start, parameter] { start(parameter); });
    return handles().add(std::make_shared<Thread>());
}

extern "C" void WINAPI Sleep(DWORD milliseconds)
{
    backend().sleep(milliseconds);
}

// The C library's calendar time, as the installed backend keeps it: a recording fixes it, the
// desktop follows the system clock. Defined here, it takes the place of the C library's own
// for the whole program.
extern "C" std::time_t time(std::time_t *result) noexcept
{
    using namespace std::chrono;
    std::time_t now = backendInstalled()
                          ? backend().calendarTime()
                          : std::time_t(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
    if (result)
        *result = now;
    return now;
}
