// howdy-record from the outside: what it writes, that two runs agree byte for byte, and how it
// refuses bad arguments.
#include "../support/run.h"

#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

const std::string kRecord = HOWDY_RECORD;

TEST(Record, ThirtyFramesEvery120Milliseconds)
{
    ScratchFolder scratch;
    std::string dir = scratch.path();
    auto result = run(kRecord + " --size 1024x768 --max-frames 30 --log " + dir + "/l.jsonl --frames " + dir + "/d");
    ASSERT_EQ(result.status, 0) << result.errors;
    auto lines = readLines(dir + "/l.jsonl");
    ASSERT_EQ(lines.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        std::string start = "{\"frame\":" + std::to_string(i + 1) + ",\"t_ms\":" + std::to_string(i * 120) + ",";
        EXPECT_EQ(lines[std::size_t(i)].rfind(start, 0), 0u) << lines[std::size_t(i)];
    }
    headless::Image desktop = headless::syntheticDesktop(1024, 768);
    for (int i = 1; i <= 30; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/d/frame-%04d.png", i);
        std::string error;
        auto frame = headless::readPng(dir + name, error);
        ASSERT_TRUE(frame) << name << ": " << error;
        // Only the walker, along the bottom 116 rows, covers the desktop in the first frames.
        std::size_t above = std::size_t(1024) * (768 - 116);
        EXPECT_TRUE(std::equal(desktop.pixels.begin(), desktop.pixels.begin() + std::ptrdiff_t(above),
                               frame->pixels.begin()))
            << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/d/frame-0031.png"));
}

TEST(Record, TwoRunsAreByteIdentical)
{
    ScratchFolder scratchA, scratchB;
    std::string a = scratchA.path(), b = scratchB.path();
    for (const std::string &dir : {a, b}) {
        auto result = run(kRecord + " --size 640x480 --max-frames 12 --time 1000 --log " + dir + "/l.jsonl --out " +
                          dir + "/show.webp --frames " + dir + "/d");
        ASSERT_EQ(result.status, 0) << result.errors;
    }
    EXPECT_EQ(readFile(a + "/l.jsonl"), readFile(b + "/l.jsonl"));
    EXPECT_EQ(readFile(a + "/show.webp"), readFile(b + "/show.webp"));
    EXPECT_EQ(readFile(a + "/d/frame-0012.png"), readFile(b + "/d/frame-0012.png"));
    std::string webp = readFile(a + "/show.webp");
    ASSERT_GT(webp.size(), 12u);
    EXPECT_EQ(webp.substr(0, 4), "RIFF");
    EXPECT_EQ(webp.substr(8, 4), "WEBP");
}

// The README's animation, made the same way: the whole show at 640 x 480 up to the exit timer.
TEST(Record, TheWholeShowRecordsToAnAnimation)
{
    ScratchFolder scratch;
    std::string dir = scratch.path();
    auto result = run(kRecord + " --size 640x480 --max-frames 230 --time 1700000000 --log " + dir +
                      "/l.jsonl --out " + dir + "/show.webp");
    ASSERT_EQ(result.status, 0) << result.errors;
    std::string log = readFile(dir + "/l.jsonl");
    EXPECT_NE(log.find("{\"event\":\"timer\",\"frame\":196,\"t_ms\":17040,\"id\":1,\"ms\":4000}"), std::string::npos);
    EXPECT_NE(log.find("\"name\":\"Cannon\""), std::string::npos);
    std::string webp = readFile(dir + "/show.webp");
    EXPECT_NE(webp.find("ANIM"), std::string::npos);
}

TEST(Record, EscapeEndsTheProgramWithStatusZero)
{
    ScratchFolder scratch;
    std::string dir = scratch.path();
    run("echo 'at 5000 key escape' > " + dir + "/input");
    auto result = run(kRecord + " --input " + dir + "/input --log " + dir + "/l.jsonl");
    ASSERT_EQ(result.status, 0) << result.errors;
    auto lines = readLines(dir + "/l.jsonl");
    ASSERT_GE(lines.size(), 2u);
    // The last frame began at 4920; Esc purges the sound and the program exits at once.
    EXPECT_EQ(lines[lines.size() - 3].rfind("{\"frame\":42,\"t_ms\":4920,", 0), 0u) << lines[lines.size() - 3];
    EXPECT_EQ(lines[lines.size() - 2], "{\"event\":\"purge\",\"t_ms\":5000}");
    EXPECT_EQ(lines.back(), "{\"event\":\"exit\",\"t_ms\":5000,\"code\":0}");
}

TEST(Record, ADesktopPictureSetsTheScreen)
{
    ScratchFolder scratch;
    std::string dir = scratch.path();
    // Make a small picture by recording one frame of a 64 x 48 screen.
    ASSERT_EQ(run(kRecord + " --size 64x48 --max-frames 1 --frames " + dir + "/a").status, 0);
    auto result = run(kRecord + " --desktop " + dir + "/a/frame-0001.png --max-frames 1 --frames " + dir + "/b");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(readFile(dir + "/a/frame-0001.png"), readFile(dir + "/b/frame-0001.png"));
}

TEST(Record, BadArgumentsGetOneLineAndStatusTwo)
{
    ScratchFolder scratch;
    std::string dir = scratch.path();
    std::string notPng = dir + "/text.png";
    run("echo hello > " + notPng);
    const std::string cases[] = {
        "--sizes 10x10",
        "--size 10",
        "--size 0x10",
        "--size 16385x10",
        "--size 10x-3",
        "--max-frames 0",
        "--time soon",
        "--desktop " + dir + "/missing.png",
        "--desktop " + notPng,
        "--log " + dir + "/no/such/folder/l.jsonl",
        "--out " + dir + "/no/such/folder/a.webp",
        "--input " + dir + "/missing.txt",
        "--log",
    };
    for (const std::string &arguments : cases) {
        auto result = run("cd " + dir + " && " + kRecord + " " + arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_EQ(result.errors.rfind("howdy-record: ", 0), 0u) << result.errors;
        EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
    }
    // Nothing was written: no log, no animation, no temporary file.
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path(), notPng);
}

} // namespace
