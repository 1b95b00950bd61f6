// The shell calls on Linux: Windows parameters split as Windows programs split them, .desktop
// Exec values with their field codes removed, and drive C: a folder of the user's alone.
#include "../support/run.h"
#include "../support/screenless_backend.h"

#include "../../platform/desktop/xdg.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tuple>

namespace {

TEST(CommandLines, WindowsParametersAndDesktopExecValues)
{
    const auto windows = xdg::splitWindowsCommandLine, exec = xdg::desktopExecArguments;
    const std::tuple<decltype(windows), const char *, std::vector<std::string>> cases[] = {
        {windows, "http://example/lsd.html", {"http://example/lsd.html"}},
        {windows, "http://example/lsd.html ", {"http://example/lsd.html"}},
        {windows, "  a\tb  c ", {"a", "b", "c"}},
        {windows, "\"a b\" c", {"a b", "c"}},
        {windows, "\"\"", {""}},
        {windows, "a\"b c\"d", {"ab cd"}},
        {windows, "a\\\\b", {"a\\\\b"}},           // backslashes are literal unless a quote follows
        {windows, "a\\\"b", {"a\"b"}},             // 2n + 1 before a quote: n and a literal quote
        {windows, "a\\\\\"b c\"", {"a\\b c"}},     // 2n before a quote: n, and the quote groups
        {windows, "\"a\"\"b\" c", {"a\"b", "c"}},  // "" inside a quotation is a quote
        {windows, "", {}},
        {exec, "firefox-esr %u", {"firefox-esr"}},
        {exec, "/opt/b/browser --new-window %U", {"/opt/b/browser", "--new-window"}},
        {exec, "\"/opt/my browser/run\" %f --x", {"/opt/my browser/run", "--x"}},
        {exec, "b \"a \\\"q\\\" \\\\ \\$\"", {"b", "a \"q\" \\ $"}},
        {exec, "b 100%% %F %i %c %k", {"b", "100%"}},
        {exec, "b \"\"", {"b", ""}},
    };
    for (const auto &[split, text, words] : cases)
        EXPECT_EQ(split(text), words) << text;
}

// Drive C: is $XDG_RUNTIME_DIR/howdy/c, refused while its group or others may enter either folder.
TEST(DriveC, RefusedWhenItsGroupOrOthersMayEnter)
{
    ScratchFolder runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ScreenlessBackend desktop;
    auto opens = [&] {
        int file = desktop.openDriveFile("probe", O_WRONLY | O_CREAT);
        return file >= 0 && close(file) == 0;
    };
    ASSERT_TRUE(opens());
    for (const char *folder : {"howdy", "howdy/c"})
        for (mode_t mode : {0750, 0705, 0770, 0700}) {
            chmod((runtime / folder).c_str(), mode);
            EXPECT_EQ(opens(), mode == 0700) << folder << " " << std::oct << mode;
        }
}

} // namespace
