// Threads and windows made as the program makes them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

// Runs `body`, a lambda without captures, on a thread made by CreateThread.
template <class Body> void start(Body)
{
    ASSERT_NE(CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return Body{}(), 0; }, nullptr, 0, nullptr), nullptr);
}

// A popup window of the class, registered first.
inline HWND makeWindow(const char *className, WNDPROC procedure = DefWindowProcA, RECT at = {0, 0, 100, 50})
{
    const WNDCLASSA windowClass{0, procedure, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, className};
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, "", WS_POPUP, at.left, at.top, at.right - at.left, at.bottom - at.top,
                           nullptr, nullptr, nullptr, nullptr);
}
