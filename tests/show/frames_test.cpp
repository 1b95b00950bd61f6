// What the whole show draws, frame by frame: each presented frame's hash against the list kept in
// frames-*.txt beside this file, made once from frames that were looked at. A change to any pixel
// names the first frame that differs. Regenerating a list is a deliberate act, with the reason in
// the commit: HOWDY_NEW_FRAME_HASHES=1 build/linux/tests/show/show_tests --gtest_filter='Frames.*'
#include "../support/run.h"

#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdlib>
#include <fstream>

namespace {

// FNV-1a 64 of the frame's pixels, B, G, R and a zero byte each, rows top-down.
struct FrameHashes : headless::Observer {
    void presented(const win32::Surface &frame, std::int64_t) override
    {
        std::uint64_t hash = 0xcbf29ce484222325u;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                for (int shift = 0; shift < 32; shift += 8)
                    hash = (hash ^ ((frame.pixels(y)[x] & 0xFFFFFF) >> shift & 0xFF)) * 0x100000001b3u;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016" PRIx64, hash);
        hashes.emplace_back(hex);
    }
    void event(const headless::Event &) override {}
    [[noreturn]] void stalled() override { std::abort(); }
    std::vector<std::string> hashes;
};

// Plays the show to its end and checks its frames against `list`, or rewrites the list.
void expectFrames(headless::Config config, const std::string &list, const std::string &about)
{
    config.startTime = 1000000000;
    FrameHashes shown;
    headless::start(config, &shown);
    ASSERT_EQ(WinMain(win32::moduleInstance(), nullptr, nullptr, SW_SHOWNORMAL), 0);
    const std::string path = std::string(HOWDY_FRAME_HASHES) + "/" + list;
    if (std::getenv("HOWDY_NEW_FRAME_HASHES")) {
        std::ofstream file(path);
        file << "# " << about << ": the FNV-1a 64 hash of each frame's pixels, one line a frame.\n"
             << "# Remade only on purpose, after looking at the frames (howdy-record --frames), with the reason in\n"
             << "# the commit: HOWDY_NEW_FRAME_HASHES=1 build/linux/tests/show/show_tests --gtest_filter='Frames.*'\n";
        for (const std::string &hash : shown.hashes)
            file << hash << "\n";
        GTEST_SKIP() << "wrote " << path;
    }
    std::vector<std::string> expected;
    for (const std::string &line : readLines(path))
        if (!line.starts_with("#"))
            expected.push_back(line);
    std::size_t differ = 0, first = 0;
    for (std::size_t i = 0; i < std::min(expected.size(), shown.hashes.size()); ++i)
        if (shown.hashes[i] != expected[i] && !differ++)
            first = i + 1;
    EXPECT_EQ(differ, 0u) << "frame " << first << " is the first of " << differ << " that differ from " << list;
    EXPECT_EQ(shown.hashes.size(), expected.size()) << "frames shown";
}

TEST(Frames, WholeShowOn1024x768)
{
    expectFrames({}, "frames-1024x768.txt", "The show on 1024 x 768, the synthetic desktop");
}

// A work area down to the bottom: the escapes leave the snapshot's Start button unpatched.
TEST(Frames, WholeShowOn640x480)
{
    headless::Config config;
    config.width = 640;
    config.height = 480;
    config.workAreaBottom = 480;
    expectFrames(config, "frames-640x480.txt", "The show on 640 x 480, the synthetic desktop, no taskbar reserved");
}

// Every colour in every part of the screen, under the pulse and the escape's patch, with the
// taskbar's top at 560.
TEST(Frames, WholeShowOnADesktopPicture)
{
    headless::Config config;
    config.width = 800;
    config.height = 600;
    config.workAreaBottom = 560;
    headless::Image &desktop = config.desktop.emplace(headless::Image{800, 600, {}});
    for (std::uint32_t y = 0; y < 600; ++y)
        for (std::uint32_t x = 0; x < 800; ++x)
            desktop.pixels.push_back(x * 255 / 800 << 16 | y * 255 / 600 << 8 | ((x + y) * 7 & 255));
    expectFrames(config, "frames-800x600-picture.txt", "The show on 800 x 600, a picture with stripes");
}

} // namespace
