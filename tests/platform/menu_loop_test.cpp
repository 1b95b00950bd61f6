// TrackPopupMenu's modal loop on the headless clock: what runs while a menu is up, the input that
// chooses or dismisses, and the ways a menu is ended from outside.
#include "../support/win32_helpers.h"

#include "../../platform/core/backend.h"
#include "../../platform/core/menu_loop.h"
#include "../../platform/core/user.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr UINT kUser = 0x0400;
constexpr UINT kNested = kUser + 1; // tries a second menu while one is up

std::string seen;
HWND window;
HMENU menu;

std::string now()
{
    return std::to_string(win32::backend().now());
}

LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_TIMER) {
        seen += "timer" + std::to_string(wParam) + "@" + now() + " ";
        // The exit timer's way: once, then the end, which closes the menu; the quit waits. A menu
        // still up after a second fails the test instead of running on.
        if (wParam == 2 || win32::backend().now() > 1000) {
            KillTimer(hwnd, 2);
            EndMenu();
            PostQuitMessage(3);
        }
    } else if (message == kUser) {
        seen += "posted@" + now() + " ";
    } else if (message == kNested) {
        seen += "nested" + std::to_string(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, hwnd, nullptr)) + " ";
    } else if (message != WM_CREATE) {
        seen += "other" + std::to_string(message) + " ";
    }
    return 0;
}

void setUp()
{
    window = makeWindow("Menus", procedure);
    auto items = std::make_shared<win32::Menu>();
    items->items = {{"Tell a friend", 40001, 0, nullptr}, {"Exit", 40003, 0, nullptr}};
    menu = win32::addHandle<HMENU>(items);
}

// "command@time" of a menu tracked from now.
std::string track()
{
    BOOL command = TrackPopupMenu(menu, TPM_RETURNCMD, 10, 20, 0, window, nullptr);
    return std::to_string(command) + "@" + now();
}

void key(WPARAM code)
{
    win32::deliverMenuInput(win32::MenuInput{win32::MenuInput::Kind::Key, -1, false, code});
}

// Timers, posted messages and messages sent from other threads run while the menu is up, and a
// second menu is refused. Keys choose, whether a backend hands them to the menu or they arrive as
// the window's messages, which the menu takes as Windows' menu loop does.
TEST(MenuLoop, OtherMessagesRunWhileTheMenuIsUpAndItsKeysChoose)
{
    setUp();
    SetTimer(window, 1, 100, nullptr);
    start([] {
        Sleep(150);
        win32::postMessage(window, kUser, 0, 0);
        win32::postMessage(window, kNested, 0, 0);
        Sleep(100);
        SendMessageA(window, kUser + 2, 0, 0);
        key(VK_END);
        Sleep(50);
        win32::postMessage(window, WM_KEYDOWN, VK_UP, 1);
        win32::postMessage(window, WM_KEYUP, VK_UP, 1);
        win32::postMessage(window, WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(track(), "40001@300");
    EXPECT_EQ(seen, "timer1@100 posted@150 nested0 timer1@200 other1026 timer1@300 ");
    EXPECT_FALSE(win32::deliverMenuInput(win32::MenuInput{})) << "no menu is up";
}

// The exit timer's handler closes the menu with EndMenu and posts the quit, which stays for the
// message loop; EndMenu from another thread closes it too, and so does a press on the window.
TEST(MenuLoop, EndMenuFromItsThreadOrAnotherOrAPressClosesItAndAQuitWaits)
{
    setUp();
    SetTimer(window, 2, 100, nullptr);
    EXPECT_EQ(track(), "0@100");
    EXPECT_FALSE(KillTimer(window, 2)) << "killed by its handler";

    start([] {
        Sleep(400);
        EndMenu();
        Sleep(100);
        win32::postMessage(window, WM_MOUSEMOVE, 0, 0);
        win32::postMessage(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        win32::postMessage(window, WM_RBUTTONUP, 0, 0);
    });
    EXPECT_EQ(track(), "0@500");
    EXPECT_EQ(track(), "0@600");
    EXPECT_EQ(seen, "timer2@100 ");

    MSG msg{};
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, UINT(WM_RBUTTONUP)) << "the press's release reaches the window";
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(std::pair(msg.message, msg.wParam), std::pair(UINT(WM_QUIT), WPARAM(3)));
}

} // namespace
