// A long run: the show's frames, 100,000 of them, with the exit timer held back (no message loop
// runs, so it never fires). After the trip and the badge's arrival the process holds as many GDI
// objects and as much memory at the end as at frame 300.
#include "../../app/app.h"
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#include "../../show/render.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace {

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
