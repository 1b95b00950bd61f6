// The exit timer opens the page once: its own message kills it first, so that nothing that keeps
// the program running afterwards (a menu the end did not close) lets it fire again.
#include "../../app/app.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ExitTimer, ItsMessageKillsItBeforeThePageOpens)
{
    headless::start({}, nullptr);
    HWND window = createOverlayWindow(win32::moduleInstance());
    ASSERT_EQ(SetTimer(window, EXIT_TIMER, 4000, nullptr), EXIT_TIMER);
    mainWndProc(window, WM_TIMER, EXIT_TIMER, 0);
    EXPECT_FALSE(KillTimer(window, EXIT_TIMER));
}

} // namespace
