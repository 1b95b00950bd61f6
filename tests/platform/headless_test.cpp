// The headless backend's input script: its grammar, and delivery of each event as messages at
// its virtual time.
#include "../support/win32_helpers.h"

#include "../../platform/core/backend.h"
#include "../../platform/headless/headless.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

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

} // namespace
