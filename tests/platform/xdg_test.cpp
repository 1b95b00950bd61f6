// The command lines of the shell calls on Linux: Windows parameters split as Windows programs
// split them, and .desktop Exec values with their field codes removed.
#include "../../platform/desktop/xdg.h"

#include <gtest/gtest.h>

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

} // namespace
