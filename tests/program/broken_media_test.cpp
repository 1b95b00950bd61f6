// Broken media: with any one resource hidden or corrupted, the show runs its whole course on the
// same timeline; a broken sheet draws nothing, a broken sound gives way to the default sound
// (which is silent here), a broken menu shows nothing, a broken cursor leaves the arrow.
// A long run: the show's frames, 100,000 of them, with the exit timer held back (no message loop
// runs, so it never fires). After the trip and the badge's arrival the process holds as many GDI
// objects and as much memory at the end as at frame 300.
#include "../support/run.h"

#include "../../app/app.h"
#include "../../platform/core/gdi.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../resources/media.h"
#include "../../show/render.h"
#include "../../state/show_state.h"
#include "../../tools/record/log_fields.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What a show presented and did, a line each: the log's fields after each frame (and whether the
// frame showed nothing but the desktop), and each outside effect.
struct Transcript : headless::Observer {
    void presented(const win32::Surface &frame, std::int64_t tMs) override
    {
        win32::Surface desktop = win32::surfaceOf(desktopSurface);
        bool onlyDesktop = true;
        for (int y = 0; y < frame.height && onlyDesktop; ++y)
            onlyDesktop = std::equal(frame.pixels(y), frame.pixels(y) + frame.width, desktop.pixels(y));
        const long long frameNumber = ++frames;
        text << "frame";
#define FIELD_VALUE(name, value) text << " " << (value);
        LOG_FIELDS(FIELD_VALUE)
#undef FIELD_VALUE
        text << (onlyDesktop ? " desktop" : "") << "\n";
    }
    void event(const headless::Event &event) override
    {
        text << event.name << " " << event.tMs;
        for (const auto &[key, value] : event.fields)
            if (auto *word = std::get_if<std::string>(&value))
                text << " " << *word;
        text << "\n";
    }
    [[noreturn]] void stalled() override { std::abort(); }
    std::ostringstream text;
    long long frames = 0;
};

// The whole show on 640 x 480 in a child process, whose program state is still untouched: the
// pointer over the resting badge at 17500 and a right-click there that dismisses the menu.
std::string showInChild(const std::function<void()> &breakSomething)
{
    ScratchFolder scratch;
    const std::string transcriptFile = scratch / "transcript";
    pid_t child = fork();
    if (child == 0) {
        breakSomething();
        headless::Config config;
        config.width = 640;
        config.height = 480;
        config.input = {{17500, headless::InputEvent::Type::Move, 0, 300, 200, false, std::nullopt},
                        {17600, headless::InputEvent::Type::Click, 0, 300, 200, true, 0}};
        Transcript transcript;
        headless::start(config, &transcript);
        int code = WinMain(win32::moduleInstance(), nullptr, nullptr, SW_SHOWNORMAL);
        std::ofstream(transcriptFile) << transcript.text.str() << "exit " << code << "\n";
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? readFile(transcriptFile) : "the show crashed";
}

// The text with each match of the regular expression `pattern` replaced.
std::string replaced(const std::string &text, const std::string &pattern, const std::string &with)
{
    return std::regex_replace(text, std::regex(pattern), with);
}

TEST(BrokenMedia, TheShowKeepsItsCourseWithAnyOneResourceHiddenOrCorrupted)
{
    const std::string normal = showInChild([] {});
    ASSERT_NE(normal.find("cursor 17500 hand\n"), std::string::npos) << normal;
    ASSERT_NE(normal.find("menu 17600\n"), std::string::npos);
    ASSERT_NE(normal.find("exit 0"), std::string::npos);

    struct Broken {
        LPCSTR type;
        LPCSTR name;
        std::function<std::string(const std::string &)> expected; // from the normal transcript
    };
    std::vector<Broken> cases;
    // A broken sheet changes nothing but what is drawn: the frame flags differ, nothing else.
    auto sameTimeline = [](const std::string &text) { return replaced(text, " desktop\n", "\n"); };
#define BROKEN_SHEET(sheet, id, file, width, height, frames, stripHeight, key) \
    cases.push_back({"PNG", MAKEINTRESOURCEA(id), sameTimeline});
    SPRITE_SHEETS(BROKEN_SHEET)
#undef BROKEN_SHEET
#define BROKEN_SOUND(constant, name, file)                                                           \
    cases.push_back({"WAVE", #name, [](const std::string &text) {                                  \
                         return replaced(text, std::string(" ") + #name + "\n", " SystemDefault\n"); \
                     }});
    SOUNDS(BROKEN_SOUND)
#undef BROKEN_SOUND
    cases.push_back({RT_GROUP_CURSOR, "Hand",
                     [](const std::string &text) { return replaced(text, "(cursor 17[56]00) hand", "$1 arrow"); }});
    cases.push_back({RT_MENU, MAKEINTRESOURCEA(IDR_POPUP_MENU),
                     [](const std::string &text) { return replaced(text, "menu [^\n]*\n", ""); }});
    cases.push_back({RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_HOWDY), [](const std::string &text) { return text; }});

    for (const Broken &broken : cases) {
        for (auto fault : {win32::ResourceFault::Hidden, win32::ResourceFault::Corrupted}) {
            SCOPED_TRACE(testing::Message() << (IS_INTRESOURCE(broken.name) ? std::to_string(LOWORD(broken.name)) : broken.name)
                                            << (fault == win32::ResourceFault::Hidden ? " hidden" : " corrupted"));
            std::string shown = showInChild([&] {
                if (!win32::breakResource(broken.type, broken.name, fault))
                    std::_Exit(1);
            });
            bool isSheet = !IS_INTRESOURCE(broken.type) && broken.type == std::string("PNG");
            EXPECT_EQ(isSheet ? sameTimeline(shown) : shown, broken.expected(normal));
            // Without the walk sheet, the desktop stays bare while he walks (frames 1 to 25).
            if (isSheet && LOWORD(broken.name) == 113) {
                std::istringstream lines(shown);
                int frames = 0, bare = 0;
                for (std::string line; frames < 25 && std::getline(lines, line);)
                    if (line.starts_with("frame ") && ++frames)
                        bare += line.ends_with(" desktop");
                EXPECT_EQ(bare, 25);
            }
        }
    }
}

long residentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

TEST(LongRun, NoGrowthOverAHundredThousandFrames)
{
    // The smallest screen on which the trip comes, so that every effect runs.
    headless::Config config;
    config.width = 540;
    config.height = 300;
    headless::start(config, nullptr);
    ASSERT_NE(createOverlayWindow(win32::moduleInstance()), nullptr);
    DWORD objects = 0;
    long resident = 0;
    for (int frame = 1; frame <= 100000; ++frame) {
        renderFrame();
        if (frame == 300) {
            objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
            resident = residentBytes();
        }
    }
    EXPECT_GT(objects, 20u);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
    EXPECT_LE(residentBytes() - resident, 1L << 20);
}

} // namespace
