// The message path: window creation, SendMessage, the quit message, timers across threads,
// and the headless clock that Sleep and timers follow.
#include "../../platform/core/backend.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT WM_USER_ECHO = 0x0401;

struct Seen {
    std::vector<UINT> messages;
    std::vector<std::int64_t> timerTimes;
    std::vector<std::thread::id> timerThreads;
    std::thread::id echoThread;
    bool inCreate = false;
    int createWidth = 0;
    LRESULT createResult = 0;
};
Seen seen;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.messages.push_back(message);
    switch (message) {
    case WM_CREATE:
        seen.inCreate = true;
        seen.createWidth = reinterpret_cast<CREATESTRUCTA *>(lParam)->cx;
        return seen.createResult;
    case WM_TIMER:
        seen.timerTimes.push_back(win32::backend().now());
        seen.timerThreads.push_back(std::this_thread::get_id());
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_USER_ECHO:
        seen.echoThread = std::this_thread::get_id();
        return LRESULT(wParam * 2);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Runs the calling thread's message loop until the quit message; returns it.
MSG runLoop()
{
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    return msg;
}

HWND makeWindow(const char *className = "Test")
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = className;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, "test", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
}

TEST(Windows, CreateRunsInsideCreateWindowEx)
{
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(seen.inCreate);
    EXPECT_EQ(seen.createWidth, 100);
    ASSERT_FALSE(seen.messages.empty());
    EXPECT_EQ(seen.messages.front(), UINT(WM_CREATE));
}

TEST(Windows, CreateReturningMinusOneFailsTheCall)
{
    seen.createResult = -1;
    EXPECT_EQ(makeWindow(), nullptr);
}

TEST(Windows, ClassNamesMatchWithoutCaseAndRegisterOnce)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = "Hello World";
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_NE(CreateWindowExA(0, "HELLO WORLD", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExA(0, "no such class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST(Messages, SendingDestroyEndsTheLoopWithCodeZero)
{
    HWND window = makeWindow();
    seen.messages.clear();
    // On the owner thread the procedure runs within the call.
    EXPECT_EQ(SendMessageA(window, WM_DESTROY, 0, 0), 0);
    ASSERT_EQ(seen.messages.size(), 1u);
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST(Messages, ATimerSetOnAnotherThreadArrivesOnTheWindowsThread)
{
    static HWND window = makeWindow();
    // Like the render thread arming the exit timer: set after a sleep, from another thread.
    CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            Sleep(500);
            SetTimer(window, 1, 4000, nullptr);
            return 0;
        },
        nullptr, 0, nullptr);
    MSG msg{};
    while (seen.timerTimes.size() < 2 && GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    EXPECT_EQ(seen.timerTimes, (std::vector<std::int64_t>{4500, 8500}));
    EXPECT_EQ(seen.timerThreads[0], std::this_thread::get_id());
    EXPECT_EQ(msg.wParam, 1u);
}

TEST(Messages, SendFromAnotherThreadRunsOnTheOwner)
{
    static HWND window = makeWindow();
    static LRESULT result = 0;
    CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            result = SendMessageA(window, WM_USER_ECHO, 21, 0);
            SendMessageA(window, WM_DESTROY, 0, 0);
            return 0;
        },
        nullptr, 0, nullptr);
    EXPECT_EQ(runLoop().message, UINT(WM_QUIT));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(seen.echoThread, std::this_thread::get_id());
}

TEST(Clock, SleepersWakeInTimeOrderOnTheVirtualClock)
{
    static std::vector<std::string> order;
    static HWND window = makeWindow();
    CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            for (int i = 0; i < 3; ++i) {
                Sleep(100);
                order.push_back("a" + std::to_string(win32::backend().now()));
            }
            return 0;
        },
        nullptr, 0, nullptr);
    CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            for (int i = 0; i < 2; ++i) {
                Sleep(150);
                order.push_back("b" + std::to_string(win32::backend().now()));
            }
            SendMessageA(window, WM_DESTROY, 0, 0);
            return 0;
        },
        nullptr, 0, nullptr);
    runLoop();
    // At 300 both wake; the older thread goes first.
    EXPECT_EQ(order, (std::vector<std::string>{"a100", "b150", "a200", "a300", "b300"}));
}

} // namespace
