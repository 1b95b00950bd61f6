// The message path: window creation, SendMessage, the quit message, GetMessage's filters, timers
// across threads, the headless clock that Sleep and timers follow, and the headless input script:
// its grammar, and each event delivered as messages at its virtual time. Then TrackPopupMenu's
// modal loop: what runs while a menu is up, the input that chooses or dismisses, and the ways a
// menu is ended from outside.
#include "../support/win32_helpers.h"

#include "../../platform/core/backend.h"
#include "../../platform/core/menu_loop.h"
#include "../../platform/core/user.h"
#include "../../platform/headless/headless.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr UINT kUser = 0x0400;
constexpr UINT kEcho = kUser + 20; // returns twice its wParam
constexpr UINT kEnd = kUser + 21;  // posts the quit message with wParam as its code

std::vector<UINT> seen;
std::thread::id echoThread;
int createWidth = 0;
LRESULT createResult = 0;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back(message);
    if (message == WM_CREATE)
        createWidth = reinterpret_cast<CREATESTRUCTA *>(lParam)->cx;
    if (message == kEnd)
        PostQuitMessage(int(wParam));
    if (message == kEcho)
        echoThread = std::this_thread::get_id();
    return message == WM_CREATE ? createResult
           : message == kEcho   ? LRESULT(wParam * 2)
                                : DefWindowProcA(window, message, wParam, lParam);
}

HWND testWindow(const char *className = "Test")
{
    return makeWindow(className, recordingProc);
}

// The messages GetMessageA returns with `window` as its filter, as "wParam@time", until `count`.
std::string ticks(HWND window, int count)
{
    std::string ticks;
    MSG msg{};
    for (int n = 0; n < count && GetMessageA(&msg, window, 0, 0); ++n)
        ticks += std::to_string(msg.wParam) + "@" + std::to_string(win32::backend().now()) + " ";
    return ticks;
}

TEST(Windows, CreationClassesAndShowing)
{
    HWND window = testWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(seen, std::vector<UINT>{WM_CREATE}) << "WM_CREATE runs inside CreateWindowEx";
    EXPECT_EQ(createWidth, 100);
    EXPECT_NE(testWindow("tEsT"), nullptr) << "class names match without case";
    const WNDCLASSA again{0, recordingProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "TEST"};
    EXPECT_EQ(RegisterClassA(&again), 0) << "and register once";
    EXPECT_EQ(CreateWindowExA(0, "no such class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    createResult = -1;
    EXPECT_EQ(testWindow(), nullptr) << "WM_CREATE returning -1 fails the call";
    // ShowWindow answers whether the window was visible before.
    for (auto [command, wasVisible] : {std::pair{SW_SHOWNORMAL, FALSE}, {SW_SHOWNORMAL, TRUE}, {SW_HIDE, TRUE},
                                       {SW_HIDE, FALSE}})
        EXPECT_EQ(ShowWindow(window, command), wasVisible) << command;
}

// On the owner's thread SendMessage runs the procedure at once; from another thread the owner
// runs it within GetMessage, before it returns any posted message. The quit message carries its
// code.
TEST(Messages, SendRunsOnTheOwnerBeforePostedMessagesAndQuitCarriesItsCode)
{
    static HWND window = testWindow();
    static LRESULT result = 0;
    seen.clear();
    EXPECT_EQ(SendMessageA(window, kEcho, 4, 0), 8);
    EXPECT_EQ(seen, std::vector<UINT>{kEcho});
    win32::postMessage(window, kUser, 0, 0);
    start([] {
        result = SendMessageA(window, kEcho, 21, 0);
        SendMessageA(window, kEnd, 7, 0);
    });
    Sleep(10);
    MSG msg{};
    GetMessageA(&msg, nullptr, 0, 0);
    EXPECT_EQ(std::pair(msg.message, seen), std::pair(kUser, std::vector<UINT>{kEcho, kEcho}));
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);
    EXPECT_EQ(std::pair(msg.message, msg.wParam), std::pair(UINT(WM_QUIT), WPARAM(7)));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(echoThread, std::this_thread::get_id());
}

// Posted messages wait for a GetMessage whose window and range take them; so do timers, which
// don't wake a thread whose filter turns them away.
TEST(Messages, FiltersPickByWindowAndRangeTimersToo)
{
    static HWND a = testWindow(), b = testWindow();
    win32::postMessage(b, kUser + 1, 0, 0);
    win32::postMessage(a, kUser + 2, 0, 0);
    win32::postMessage(b, kUser + 3, 0, 0);
    SetTimer(a, 9, 100, nullptr);
    start([] {
        Sleep(500);
        win32::postMessage(b, kUser + 4, 0, 0);
        Sleep(500);
        win32::postMessage(a, kUser + 5, 0, 0);
    });
    const struct {
        HWND window, expectedWindow;
        UINT min, max, expected;
        std::int64_t at;
    } steps[] = {
        {a, a, 0, 0, kUser + 2, 0},
        {nullptr, b, kUser + 3, kUser + 9, kUser + 3, 0},
        {nullptr, b, kUser, kUser + 1, kUser + 1, 0},
        {b, b, 0, 0, kUser + 4, 500},
        {nullptr, a, kUser, kUser + 9, kUser + 5, 1000},
        {nullptr, a, 0, 0, WM_TIMER, 1000},
    };
    for (const auto &step : steps) {
        MSG msg{};
        ASSERT_TRUE(GetMessageA(&msg, step.window, step.min, step.max));
        EXPECT_EQ(std::pair(msg.hwnd, msg.message), std::pair(step.expectedWindow, step.expected));
        EXPECT_EQ(win32::backend().now(), step.at) << msg.message;
    }
}

// Intervals under 10 ms are 10 ms; setting a window's timer again replaces it. A timer set on
// another thread, like the render thread arming the exit timer, arrives on the window's thread.
// A timer read late gives one WM_TIMER, not one for each interval missed, and the next an
// interval after it.
TEST(Messages, TimersKeepAFloorAreReplacedByTheirIdAndArriveOnTheWindowsThread)
{
    static HWND window = testWindow(), armed = testWindow();
    SetTimer(window, 1, 5, nullptr);
    SetTimer(window, 2, 25, nullptr);
    SetTimer(window, 2, 45, nullptr);
    start([] {
        Sleep(500);
        SetTimer(armed, 3, 4000, nullptr);
    });
    EXPECT_EQ(ticks(window, 6), "1@10 1@20 1@30 1@40 2@45 1@50 ");
    EXPECT_EQ(ticks(armed, 2), "3@4500 3@8500 ");
    EXPECT_EQ(ticks(window, 3), "1@8500 2@8500 1@8510 ");
}

// The main thread sleeps through the messages that a sleeper posts to its window. At 300 both
// sleepers wake; the older thread goes first.
TEST(Clock, SleepersWakeInTimeOrderOnTheVirtualClock)
{
    static std::string order;
    static HWND window = testWindow();
    start([] {
        for (int i = 0; i < 3; ++i) {
            Sleep(100);
            order += "a@" + std::to_string(win32::backend().now()) + " ";
        }
    });
    start([] {
        for (int i = 0; i < 2; ++i) {
            Sleep(150);
            order += "b@" + std::to_string(win32::backend().now()) + " ";
            win32::postMessage(window, kUser, 0, 0);
        }
    });
    Sleep(400);
    EXPECT_EQ(order, "a@100 b@150 a@200 a@300 b@300 ");
    EXPECT_EQ(win32::backend().now(), 400);
}

TEST(InputScript, NamesTheLineOfEachMistake)
{
    const char *bad[] = {
        "at soon key escape", "at 10 key hyper", "at 10 click middle 1 1", "at 10 move 1",
        "at 10 click left 1 1 menu 3", "at 10 click right 1 1 menu later", "at 10 jump", "at 10 key escape now",
    };
    for (const char *line : bad) {
        std::string error;
        EXPECT_FALSE(headless::parseInputScript(std::string("at 1 key a\n") + line, error)) << line;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
    }
    // A bad word is shown shortened, so that even a binary file gives one readable line.
    const std::pair<std::string, std::string> shown[] = {
        {"at 1 key " + std::string(24, 'k'), "line 1: unknown key '" + std::string(24, 'k') + "'"},
        {"at 1 key " + std::string(25, 'k'), "line 1: unknown key '" + std::string(24, 'k') + "...'"},
    };
    for (const auto &[line, message] : shown) {
        std::string error;
        EXPECT_FALSE(headless::parseInputScript(line, error));
        EXPECT_EQ(error, message);
    }
}

// Pointer positions arrive in window coordinates; comments and blank lines are skipped.
TEST(InputScript, EventsArriveAsMessagesAtTheirTime)
{
    std::string error;
    auto events = headless::parseInputScript("# a comment\n"
                                             "at 250 move 30 40   # trailing comment\n"
                                             "\n"
                                             "at 300 click right 31 41\n"
                                             "at 900 key q\n",
                                             error);
    ASSERT_TRUE(events) << error;
    headless::Config config;
    config.input = *events;
    headless::start(config, nullptr);

    ShowWindow(makeWindow("input", DefWindowProcA, {10, 20, 210, 120}), SW_SHOWNORMAL);
    // What the window was posted, with the virtual time of each message, up to the key's release.
    using Received = std::tuple<UINT, std::int64_t, WPARAM, LPARAM>;
    std::vector<Received> received;
    MSG msg{};
    while (msg.message != WM_KEYUP && GetMessageA(&msg, nullptr, 0, 0))
        received.emplace_back(msg.message, win32::backend().now(), msg.wParam, msg.lParam);

    EXPECT_EQ(received, (std::vector<Received>{{WM_MOUSEMOVE, 250, 0, MAKELPARAM(20, 20)},
                                               {WM_MOUSEMOVE, 300, 0, MAKELPARAM(21, 21)},
                                               {WM_RBUTTONDOWN, 300, MK_RBUTTON, MAKELPARAM(21, 21)},
                                               {WM_RBUTTONUP, 300, 0, MAKELPARAM(21, 21)},
                                               {WM_KEYDOWN, 900, 'Q', 1},
                                               {WM_KEYUP, 900, 'Q', LPARAM(0xC0000001u)}}));
}

// The menu loop's own window and menu.
namespace menus {

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

} // namespace menus

} // namespace
