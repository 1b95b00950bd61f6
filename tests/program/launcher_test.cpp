// The site launcher on a live Linux desktop: the real paths through xdg-mime and a .desktop file
// to the browser registered for HTML files, or through xdg-open to the desktop's opener, each a
// stand-in of our own that notes who it is and its arguments (the probe's bytes are the Controls
// tests' business). Beneath it, Windows parameters split as Windows programs split them, .desktop
// Exec values with their field codes removed, and drive C: a folder of the user's alone.
#include "../support/run.h"
#include "../support/screenless_backend.h"

#include "../../app/app.h"
#include "../../platform/core/resources.h"
#include "../../platform/desktop/xdg.h"
#include "../../platform/headless/headless.h"
#include "../../resources/campaign.h"
#include "../../state/show_state.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

namespace {

// A temporary home with an XDG configuration whose default for HTML files is `browser`, and
// `opener` as $BROWSER, which xdg-open falls back on without a desktop: scripts that append
// their name and arguments, one line a launch, to a file.
class LiveDesktop : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
            unsetenv(name);
        for (auto [name, path] : {std::pair{"HOME", "."}, {"XDG_RUNTIME_DIR", "run"}, {"XDG_CONFIG_HOME", "config"},
                                  {"XDG_DATA_HOME", "data"}, {"BROWSER", "opener"}})
            setenv(name, (home / path).c_str(), 1);
        std::filesystem::create_directories(home / "data/applications");
        std::filesystem::create_directories(home / "config");
        privateFolder(home / "run");
        for (const char *name : {"browser", "opener"}) {
            std::ofstream(home / name) << "#!/bin/sh\necho \"" << name << " $# $*\" >> '" << home / "launched" << "'\n";
            std::filesystem::permissions(home / name, std::filesystem::perms::owner_all);
        }
        std::ofstream(home / "data/applications/browser.desktop")
            << "[Desktop Entry]\nType=Application\nName=Browser\nExec=" << home / "browser" << " %u\n";
        ASSERT_EQ(run("xdg-mime default browser.desktop text/html").status, 0);
        win32::installBackend(std::make_unique<ScreenlessBackend>());
    }

    // The launches the stand-ins noted, once `count` have arrived (they start detached).
    std::vector<std::string> launches(std::size_t count)
    {
        for (int i = 0; i < 100 && readLines(home / "launched").size() < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return readLines(home / "launched");
    }

    static void privateFolder(const std::string &path)
    {
        std::filesystem::create_directories(path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    ScratchFolder home;
};

// The exit timer, and a click on the badge (at 0, 0, where the screenless pointer rests); the
// menu's second item passes the badge's words, as the Controls tests read in the log.
TEST_F(LiveDesktop, EachWayToThePageReachesTheRegisteredBrowserOrWithoutOneTheOpener)
{
    showState.walkerScene = SCENE_BADGE;
    auto openBoth = [] {
        mainWndProc(nullptr, WM_TIMER, EXIT_TIMER, 0);
        mainWndProc(nullptr, WM_LBUTTONUP, 0, 0);
    };
    openBoth();
    const std::string url = std::string(" 1 ") + campaignUrl;
    EXPECT_EQ(launches(2), (std::vector<std::string>{"browser" + url, "browser" + url}));
    EXPECT_FALSE(std::filesystem::exists(home / "run/howdy/c/QXtemp1.html"));
    EXPECT_EQ(std::filesystem::status(home / "run/howdy/c").permissions(), std::filesystem::perms::owner_all);
    std::filesystem::remove(home / "config/mimeapps.list");
    openBoth();
    EXPECT_EQ(launches(4),
              (std::vector<std::string>{"browser" + url, "browser" + url, "opener" + url, "opener" + url}));
    // Telling a friend opens the mail address.
    tellAFriend();
    EXPECT_EQ(launches(5).back(), "opener 1 mailto:?body=Get information on drugs at  " CAMPAIGN_URL);
}

TEST_F(LiveDesktop, ALinkPlantedAtTheProbeIsNotFollowed)
{
    privateFolder(home / "run/howdy");
    privateFolder(home / "run/howdy/c");
    std::ofstream(home / "victim") << "keep";
    std::filesystem::create_symlink(home / "victim", home / "run/howdy/c/QXtemp1.html");
    openCampaignUrl(campaignUrl);
    EXPECT_EQ(readFile(home / "victim"), "keep");
    // No probe could be written, so the URL went to the desktop's opener.
    EXPECT_EQ(launches(1), std::vector<std::string>{std::string("opener 1 ") + campaignUrl});
}

TEST_F(LiveDesktop, WithoutADriveTheUrlGoesToTheDesktopsOpener)
{
    const std::string opened = std::string("opener 1 ") + campaignUrl;
    // Drive C:'s folder can't be made: sysfs takes no new folder, not even root's.
    setenv("XDG_RUNTIME_DIR", "/sys", 1);
    openCampaignUrl(campaignUrl);
    EXPECT_EQ(launches(1), std::vector<std::string>(1, opened));
    // Or its folder is a link to another.
    std::filesystem::create_directories(home / "elsewhere");
    privateFolder(home / "run2");
    std::filesystem::create_directory_symlink(home / "elsewhere", home / "run2/howdy");
    setenv("XDG_RUNTIME_DIR", (home / "run2").c_str(), 1);
    openCampaignUrl(campaignUrl);
    EXPECT_EQ(launches(2), std::vector<std::string>(2, opened));
    EXPECT_TRUE(std::filesystem::is_empty(home / "elsewhere"));
    // Neither xdg-mime nor xdg-open: nothing opens, and nothing breaks.
    setenv("PATH", (home / "no-such-folder").c_str(), 1);
    openCampaignUrl(campaignUrl);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(readLines(home / "launched").size(), 2u);
}

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

// The exit timer opens the page once: its own message kills it first, so that nothing that keeps
// the program running afterwards (a menu the end did not close) lets it fire again.
TEST(ExitTimer, ItsMessageKillsItBeforeThePageOpens)
{
    headless::start({}, nullptr);
    HWND window = createOverlayWindow(win32::moduleInstance());
    ASSERT_EQ(SetTimer(window, EXIT_TIMER, 4000, nullptr), EXIT_TIMER);
    mainWndProc(window, WM_TIMER, EXIT_TIMER, 0);
    EXPECT_FALSE(KillTimer(window, EXIT_TIMER));
}

} // namespace
