// howdy-record from the outside: what it writes, that two runs agree byte for byte, how it
// refuses bad arguments, and that it harms no file it was not asked to make.
#include "../support/png_writer.h"
#include "../support/run.h"

#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

namespace {

const std::string kRecord = HOWDY_RECORD;
namespace fs = std::filesystem;

// Everything under `dir`, by its path there, with what each file holds or where each link points.
std::map<std::string, std::string> snapshot(const std::string &dir)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
        auto type = entry.symlink_status().type();
        files[entry.path().lexically_relative(dir)] =
            type == fs::file_type::symlink   ? "-> " + fs::read_symlink(entry).string()
            : type == fs::file_type::regular ? readFile(entry.path())
                                             : "type " + std::to_string(int(type));
    }
    return files;
}

// Every frame as a PNG, the log a line a frame every 120 ms, a WebP; the same bytes from two runs.
TEST(Record, WritesWhatItShowedAndTwoRunsAgree)
{
    ScratchFolder a, b;
    for (const ScratchFolder *dir : {&a, &b}) {
        auto result = run(kRecord + " --size 640x480 --max-frames 12 --time 1000 --log " + *dir / "l.jsonl" +
                          " --out " + *dir / "show.webp" + " --frames " + *dir / "d");
        ASSERT_EQ(result.status, 0) << result.errors;
    }
    // The log, the WebP, the folder and its twelve frames, and nothing else.
    auto files = snapshot(a.path());
    EXPECT_EQ(files.size(), 15u);
    EXPECT_TRUE(files == snapshot(b.path()));
    auto lines = readLines(a / "l.jsonl");
    ASSERT_EQ(lines.size(), 12u);
    headless::Image desktop = headless::syntheticDesktop(640, 480);
    for (std::size_t i = 0; i < 12; ++i) {
        // Every field, in the order the README gives: the walker walks in from x -121, 15 a frame.
        EXPECT_EQ(lines[i], "{\"frame\":" + std::to_string(i + 1) + ",\"t_ms\":" + std::to_string(i * 120) +
                                ",\"scene\":1,\"walkerX\":" + std::to_string(15 * int(i) - 106) +
                                ",\"walkerY\":364,\"frameDelay\":120,\"pulse\":0,\"mouth\":0,\"escape\":0,\"flight\":0,"
                                "\"elephant\":0,\"creature\":0,\"timerArmed\":0}");
        std::string name = (i < 9 ? "d/frame-000" : "d/frame-00") + std::to_string(i + 1) + ".png", error;
        auto frame = headless::readPng(a / name, error);
        ASSERT_TRUE(frame) << name << ": " << error;
        // Only the walker, along the bottom 116 rows, covers the desktop in the first frames.
        auto above = std::ptrdiff_t(640 * (480 - 116));
        EXPECT_TRUE(std::equal(desktop.pixels.begin(), desktop.pixels.begin() + above, frame->pixels.begin())) << name;
    }
    std::string webp = readFile(a / "show.webp");
    EXPECT_EQ(webp.substr(0, 4) + webp.substr(8, 4), "RIFFWEBP");
    EXPECT_NE(webp.find("ANIM"), std::string::npos);
}

// What Esc does in every scene is the Controls tests' business; here the script comes through a
// pipe, padded to exactly the most a script may be: 1 MiB.
TEST(Record, AScriptOfOneMiBComesThroughAPipe)
{
    ScratchFolder dir;
    auto result = run("{ echo 'at 5000 key escape'; head -c 1048557 /dev/zero | tr '\\0' '\\n'; } | " + kRecord +
                      " --input /dev/stdin --log " + dir / "l.jsonl");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(readFile(dir / "l.jsonl").ends_with("{\"event\":\"exit\",\"t_ms\":5000,\"code\":0}\n"));
}

TEST(Record, ADesktopPictureSetsTheScreenAndShowsAsViewersShowIt)
{
    ScratchFolder dir;
    // Make a small picture by recording one frame of a 64 x 48 screen.
    ASSERT_EQ(run(kRecord + " --size 64x48 --max-frames 1 --frames " + dir / "a").status, 0);
    auto result = run(kRecord + " --desktop " + dir / "a/frame-0001.png" + " --max-frames 1 --frames " + dir / "b");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(readFile(dir / "a/frame-0001.png"), readFile(dir / "b/frame-0001.png"));

    // 16-bit RGBA: samples are scaled, not taken as linear light, and a transparent or half
    // transparent pixel shows over black.
    const std::uint16_t pixels[][4] = {{60000, 0, 65535, 65535}, {65535, 65535, 65535, 0}, {65535, 0, 0, 32768}};
    std::vector<std::uint8_t> row = {0};
    for (const auto &pixel : pixels)
        for (std::uint16_t sample : pixel)
            row.insert(row.end(), {std::uint8_t(sample >> 8), std::uint8_t(sample)});
    std::string png = "\x89PNG\r\n\x1a\n";
    for (const auto &chunk : {pngChunk("IHDR", {0, 0, 0, 3, 0, 0, 0, 1, 16, 6, 0, 0, 0}),
                              pngChunk("IDAT", deflateStream(row)), pngChunk("IEND", {})})
        png.append(chunk.begin(), chunk.end());
    std::ofstream(dir / "deep.png", std::ios::binary) << png;
    ASSERT_EQ(run(kRecord + " --desktop " + dir / "deep.png" + " --max-frames 1 --frames " + dir / "c").status, 0);
    std::string error;
    auto shown = headless::readPng(dir / "c/frame-0001.png", error);
    ASSERT_TRUE(shown) << error;
    EXPECT_EQ(shown->pixels, (std::vector<std::uint32_t>{0xEA00FF, 0x000000, 0x800000}));
}

// The usage is made from the table the options are parsed by; the README shows it word for word.
TEST(Record, HelpIsWhatTheReadmeShows)
{
    ScratchFolder scratch;
    std::string readme = readFile(fs::path(__FILE__).parent_path().parent_path().parent_path() / "README.md");
    for (const char *help : {" --help", " -h"}) {
        ASSERT_EQ(run(kRecord + help + " >" + scratch / "usage").status, 0) << help;
        std::string usage = readFile(scratch / "usage");
        EXPECT_NE(readme.find("```\n" + usage + "```"), std::string::npos) << "README.md differs from:\n" << usage;
    }
}

// Refused runs, before or during the run: one line each, and every file as it was.
TEST(Record, RefusalsLeaveEveryFileAsItWas)
{
    ScratchFolder scratch;
    std::string dir = scratch.path();
    run("cd " + dir + " && echo hello >text.png && mkdir folder frames && ln -s text.png link && " +
        "ln -s ../text.png frames/frame-0002.png && head -c 1048577 /dev/zero >big && " +
        "printf 'at 1 key \\001\\377' >binary");
    // The arguments, the status and a word of the message.
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--sizes 10x10", 2, "unknown option"},
        {"--size 10", 2, "WIDTHxHEIGHT"},
        {"--size 16385x10", 2, "WIDTHxHEIGHT"},
        {"--max-frames 0", 2, "positive"},
        {"--time soon", 2, "seconds"},
        {"--log", 2, "needs a value"},
        {"--log a --log b", 2, "twice"},
        {"--desktop text.png", 2, "text.png"},
        {"--frames ''", 2, "empty path"},
        {"--log ''", 2, "empty path"},
        {"--frames text.png", 2, "not a folder"},
        {"--log no/such/folder/l.jsonl", 2, "No such file"},
        {"--out folder", 2, "is a folder"},
        {"--log folder/", 2, "names a folder"},
        {"--out link", 2, "symbolic link"},
        {"--out x --log ./x", 2, "same file"},
        {"--log text.png --out folder/../text.png", 2, "same file"},
        {"--frames x --out x", 2, "same file"},
        {"--size 16384x16 --out a.webp", 2, "16383"},
        {"--input /dev/zero", 2, "not a file or a pipe"},
        {"--input big", 2, "1 MiB"},
        {"--input binary", 2, "'\\x01\\xFF'"},
        // Failures in the run: the frames already written go too.
        {"--max-frames 3 --frames frames", 3, "frame-0002.png: is not a regular file"},
        {"--max-frames 5 --frames made --log /dev/full", 3, "--log /dev/full: No space left on device"},
    };
    auto before = snapshot(dir);
    for (const auto &[arguments, status, word] : cases) {
        auto result = run("cd " + dir + " && " + kRecord + " " + arguments);
        EXPECT_EQ(result.status, status) << arguments;
        EXPECT_TRUE(result.errors.starts_with("howdy-record: ") && result.errors.find(word) != std::string::npos &&
                    std::count(result.errors.begin(), result.errors.end(), '\n') == 1)
            << arguments << ": " << result.errors;
        EXPECT_EQ(snapshot(dir), before) << arguments;
    }
}

// A device or a pipe is written in place, never replaced by a file.
TEST(Record, DevicesAndPipesAreWrittenInPlace)
{
    ScratchFolder scratch;
    std::string pipe = scratch / "pipe", copy = scratch / "copy";
    // The option, its path and how what the pipe passed on starts.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"--log", pipe, "{\"frame\":1,"},
        {"--size 16383x8 --out", pipe, "RIFF"},
        {"--log", "/dev/null", ""},
        {"--out", "/dev/null", ""},
    };
    std::string reader =
        "rm -f " + pipe + " && mkfifo " + pipe + " && { timeout 20 cat " + pipe + " >" + copy + " & }; ";
    for (const auto &[option, path, starts] : cases) {
        auto result = run("(" + (path == pipe ? reader : "") + kRecord + " --max-frames 3 " + option + " " + path +
                          "; status=$?; wait; exit $status)");
        EXPECT_EQ(result.status, 0) << option << " " << path << ": " << result.errors;
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(path))) << path;
        EXPECT_EQ(readFile(copy).rfind(starts, 0), 0u) << option;
    }
    EXPECT_EQ(snapshot(scratch.path()).size(), 2u) << "only the pipe and the copy";
}

TEST(Record, AStoppedRunRemovesItsPartialFiles)
{
    for (int signal : {SIGINT, SIGTERM}) {
        ScratchFolder dir;
        // Signals the run once its temporary files exist, or after 10 s.
        std::string stop = "(for i in $(seq 200); do ls " + dir.path() + "/*.partial-* >/dev/null 2>&1 && break; " +
                           "sleep 0.05; done; kill -" + std::to_string(signal) + " $$) & exec " + kRecord +
                           " --max-frames 1000000 --log " + dir / "l.jsonl" + " --out " + dir / "a.webp";
        EXPECT_EQ(run("sh -c '" + stop + "'; exit $(($? - 128))").status, signal) << "killed by the signal";
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

} // namespace
