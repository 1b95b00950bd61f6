// The command lines of the shell calls on Linux: Windows parameters split as Windows programs
// split them, and .desktop Exec values with their field codes removed.
#include "../../platform/core/xdg.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(CommandLines, ParametersSplitByTheWindowsRules)
{
    const std::pair<const char *, Words> cases[] = {
        {"http://example/lsd.html", {"http://example/lsd.html"}},
        {"http://example/lsd.html ", {"http://example/lsd.html"}},
        {"  a\tb  c ", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"\"\"", {""}},
        {"a\"b c\"d", {"ab cd"}},
        {"a\\\\b", {"a\\\\b"}},           // backslashes are literal unless a quote follows
        {"a\\\"b", {"a\"b"}},             // 2n + 1 before a quote: n and a literal quote
        {"a\\\\\"b c\"", {"a\\b c"}},     // 2n before a quote: n, and the quote groups
        {"\"a\"\"b\" c", {"a\"b", "c"}},  // "" inside a quotation is a quote
        {"", {}},
    };
    for (const auto &[text, words] : cases)
        EXPECT_EQ(xdg::splitWindowsCommandLine(text), words) << text;
}

TEST(CommandLines, DesktopExecValuesLoseTheirFieldCodes)
{
    const std::pair<const char *, Words> cases[] = {
        {"firefox-esr %u", {"firefox-esr"}},
        {"/opt/b/browser --new-window %U", {"/opt/b/browser", "--new-window"}},
        {"\"/opt/my browser/run\" %f --x", {"/opt/my browser/run", "--x"}},
        {"b \"a \\\"q\\\" \\\\ \\$\"", {"b", "a \"q\" \\ $"}},
        {"b 100%% %F %i %c %k", {"b", "100%"}},
        {"b \"\"", {"b", ""}},
    };
    for (const auto &[exec, words] : cases)
        EXPECT_EQ(xdg::desktopExecArguments(exec), words) << exec;
}

} // namespace
