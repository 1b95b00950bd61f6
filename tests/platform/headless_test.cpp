// The headless backend's input script: its grammar, and delivery of each event as messages at
// its virtual time.
#include "../../platform/core/backend.h"
#include "../../platform/headless/headless.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(InputScript, ParsesEveryAction)
{
    std::string error;
    auto events = headless::parseInputScript("# a comment\n"
                                             "at 5000 key escape\n"
                                             "\n"
                                             "at 24000 move 500 380   # trailing comment\n"
                                             "at 24100 click left 500 380\n"
                                             "at 24200 click right 10 10 menu 40002\n"
                                             "at 24300 click right 10 10 menu none\n",
                                             error);
    ASSERT_TRUE(events) << error;
    ASSERT_EQ(events->size(), 5u);
    EXPECT_EQ((*events)[0].at, 5000);
    EXPECT_EQ((*events)[0].virtualKey, VK_ESCAPE);
    EXPECT_EQ((*events)[1].type, headless::InputEvent::Type::Move);
    EXPECT_EQ((*events)[1].x, 500);
    EXPECT_EQ((*events)[2].type, headless::InputEvent::Type::Click);
    EXPECT_FALSE((*events)[2].rightButton);
    EXPECT_TRUE((*events)[3].rightButton);
    EXPECT_EQ((*events)[3].menuCommand, 40002);
    EXPECT_EQ((*events)[4].menuCommand, 0);
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
    // A bad word is shown shortened and escaped, so that even a binary file gives one readable line.
    const std::pair<std::string, std::string> shown[] = {
        {"at 1 key " + std::string(24, 'k'), "line 1: unknown key '" + std::string(24, 'k') + "'"},
        {"at 1 key " + std::string(25, 'k'), "line 1: unknown key '" + std::string(24, 'k') + "...'"},
        {std::string("at 1 key \x01\xFF\n", 12), "line 1: unknown key '\\x01\\xFF'"},
        {std::string("at 1 k\0y", 8), "line 1: unknown action 'k\\x00y'"},
    };
    for (const auto &[line, message] : shown) {
        std::string error;
        EXPECT_FALSE(headless::parseInputScript(line, error));
        EXPECT_EQ(error, message);
    }
}

struct Received {
    UINT message;
    std::int64_t at;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT CALLBACK inputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CREATE)
        received.push_back({message, win32::backend().now(), wParam, lParam});
    if (message == WM_KEYUP)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(InputScript, EventsArriveAsMessagesAtTheirTime)
{
    std::string error;
    auto events = headless::parseInputScript("at 250 move 30 40\n"
                                             "at 300 click right 31 41\n"
                                             "at 900 key q\n",
                                             error);
    ASSERT_TRUE(events);
    headless::Config config;
    config.input = *events;
    headless::start(config, nullptr);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = inputProc;
    windowClass.lpszClassName = "input";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, "input", "", WS_POPUP, 10, 20, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        DispatchMessageA(&msg);

    ASSERT_EQ(received.size(), 6u);
    EXPECT_EQ(received[0].message, UINT(WM_MOUSEMOVE));
    EXPECT_EQ(received[0].at, 250);
    EXPECT_EQ(received[0].lParam, MAKELPARAM(20, 20)) << "window coordinates";
    EXPECT_EQ(received[1].message, UINT(WM_MOUSEMOVE));
    EXPECT_EQ(received[2].message, UINT(WM_RBUTTONDOWN));
    EXPECT_EQ(received[3].message, UINT(WM_RBUTTONUP));
    EXPECT_EQ(received[3].at, 300);
    EXPECT_EQ(received[4].message, UINT(WM_KEYDOWN));
    EXPECT_EQ(received[4].wParam, WPARAM('Q'));
    EXPECT_EQ(received[4].at, 900);
    EXPECT_EQ(received[5].message, UINT(WM_KEYUP));
}

} // namespace
