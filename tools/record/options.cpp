#include "options.h"

#include "image_files.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <vector>

namespace {

// A script is typed by hand; anything larger is a mistake, such as a device that never ends.
constexpr std::size_t kMaxScriptBytes = 1 << 20;

// The command line as read so far; the checks that involve more than one option come after.
struct Given {
    RecordOptions options;
    bool size = false;
};

// One option: the usage text, the parser and the checks are all made from these.
struct Option {
    const char *name;
    const char *shortName;
    // The value's name in the usage; none for an option that takes no value.
    const char *value;
    // The value is a path, and an empty one names nothing.
    bool path;
    const char *help;
    // Parses and checks the value; returns the problem, empty if there is none.
    std::string (*take)(const std::string &value, Given &given);
};

bool parseInteger(const std::string &text, long long &value, long long low, long long high)
{
    const char *end = text.data() + text.size();
    auto [at, problem] = std::from_chars(text.data(), end, value);
    return problem == std::errc() && at == end && value >= low && value <= high;
}

std::string readScript(const std::string &path, std::string &text)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode))
        return "is not a file or a pipe";
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::strerror(errno);
    // A byte more than a script may have tells one that is too long.
    text.resize(kMaxScriptBytes + 1);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    int reason = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (reason)
        return std::strerror(reason);
    return text.size() > kMaxScriptBytes ? "is larger than 1 MiB, the most a script may be" : "";
}

const Option kOptions[] = {
    {"--size", nullptr, "WxH", false, "the screen, 1 to 16384 pixels each way (default 1024x768, or the desktop's)",
     [](const std::string &value, Given &given) -> std::string {
         auto x = value.find('x');
         long long width, height;
         if (x == std::string::npos || !parseInteger(value.substr(0, x), width, 1, 16384) ||
             !parseInteger(value.substr(x + 1), height, 1, 16384))
             return "not WIDTHxHEIGHT with each from 1 to 16384";
         given.options.screen.width = int(width);
         given.options.screen.height = int(height);
         given.size = true;
         return {};
     }},
    {"--desktop", nullptr, "FILE.png", true, "the desktop picture (default: a built-in one with a taskbar)",
     [](const std::string &value, Given &given) -> std::string {
         std::string problem;
         given.options.screen.desktop = headless::readPng(value, problem);
         return given.options.screen.desktop || !problem.empty() ? problem : "can't be read";
     }},
    {"--workarea-bottom", nullptr, "N", false, "the work area's bottom row (default: 30 rows above the screen's)",
     [](const std::string &value, Given &given) -> std::string {
         long long row;
         if (!parseInteger(value, row, 0, 16384))
             return "not a row from 0 to the screen's height";
         given.options.screen.workAreaBottom = int(row);
         return {};
     }},
    {"--time", nullptr, "SECONDS", false, "the calendar time the program sees at the first frame (default 0)",
     [](const std::string &value, Given &given) -> std::string {
         long long seconds;
         if (!parseInteger(value, seconds, 0, 1LL << 40))
             return "not a number of seconds";
         given.options.screen.startTime = std::time_t(seconds);
         return {};
     }},
    {"--frames", nullptr, "DIR", true, "write every frame as DIR/frame-0001.png ...; DIR is made if missing",
     [](const std::string &value, Given &given) { return checkOutputFolder(value, given.options.frames.emplace()); }},
    {"--out", nullptr, "FILE.webp", true, "write an animated WebP, at most 16383 pixels each way",
     [](const std::string &value, Given &given) { return checkOutputFile(value, given.options.out.emplace()); }},
    {"--log", nullptr, "FILE.jsonl", true, "write the show's state at each frame and what it does, as JSON Lines",
     [](const std::string &value, Given &given) { return checkOutputFile(value, given.options.log.emplace()); }},
    {"--input", nullptr, "FILE", true, "scripted input, one event a line: a file or a pipe of at most 1 MiB",
     [](const std::string &value, Given &given) {
         std::string text, problem = readScript(value, text);
         if (problem.empty())
             if (auto events = headless::parseInputScript(text, problem))
                 given.options.screen.input = std::move(*events);
         return problem;
     }},
    {"--max-frames", nullptr, "N", false, "stop after N frames (default 3000)",
     [](const std::string &value, Given &given) -> std::string {
         if (!parseInteger(value, given.options.maxFrames, 1, 1LL << 31))
             return "not a positive number";
         return {};
     }},
    {"--no-browser", nullptr, nullptr, false, "no program is registered for HTML files: the launcher falls back",
     [](const std::string &, Given &given) -> std::string {
         given.options.screen.browser = false;
         return {};
     }},
    {"--help", "-h", nullptr, false, "print this text",
     [](const std::string &, Given &given) -> std::string {
         given.options.help = true;
         return {};
     }},
};

const Option *findOption(const std::string &word)
{
    for (const Option &option : kOptions)
        if (word == option.name || (option.shortName && word == option.shortName))
            return &option;
    return nullptr;
}

// The checks that involve more than one option; returns the problem, empty if there is none.
std::string checkTogether(Given &given)
{
    RecordOptions &options = given.options;
    headless::Config &screen = options.screen;
    // Without --size the screen takes the picture's size.
    if (screen.desktop && !given.size) {
        screen.width = screen.desktop->width;
        screen.height = screen.desktop->height;
    }
    if (screen.workAreaBottom && *screen.workAreaBottom > screen.height)
        return "--workarea-bottom " + std::to_string(*screen.workAreaBottom) + " lies below the screen";
    if (options.out && (screen.width > kWebPMaxSide || screen.height > kWebPMaxSide))
        return "--out: a WebP is at most " + std::to_string(kWebPMaxSide) + " pixels each way, and the screen is " +
               std::to_string(screen.width) + "x" + std::to_string(screen.height);
    // Two outputs on one file would overwrite each other.
    const std::pair<const char *, const std::optional<OutputPath> *> outputs[] = {
        {"--frames", &options.frames}, {"--out", &options.out}, {"--log", &options.log}};
    for (auto a = std::begin(outputs); a != std::end(outputs); ++a)
        for (auto b = a + 1; b != std::end(outputs); ++b)
            if (*a->second && *b->second && (*a->second)->sameAs(**b->second))
                return std::string(a->first) + " and " + b->first + " name the same file";
    return {};
}

} // namespace

std::optional<RecordOptions> parseOptions(int argc, char **argv, std::string &error)
{
    Given given;
    std::vector<const Option *> seen;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        const Option *option = findOption(word);
        if (!option) {
            error = (word.starts_with("-") ? "unknown option '" : "unexpected argument '") + word + "' (see --help)";
            return std::nullopt;
        }
        if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
            error = std::string(option->name) + " is given twice";
            return std::nullopt;
        }
        seen.push_back(option);
        std::string value;
        if (option->value) {
            if (i + 1 >= argc) {
                error = std::string(option->name) + " needs a value, " + option->value;
                return std::nullopt;
            }
            value = argv[++i];
        }
        std::string problem = option->path && value.empty() ? "an empty path names nothing" : option->take(value, given);
        if (!problem.empty()) {
            error = std::string(option->name) + " '" + value + "': " + problem;
            return std::nullopt;
        }
        if (given.options.help)
            return given.options;
    }
    error = checkTogether(given);
    if (!error.empty())
        return std::nullopt;
    return given.options;
}

std::string usage()
{
    std::string text = "usage: howdy-record [OPTION]...\n"
                       "Runs the program on a virtual screen and clock and writes what it showed.\n\n";
    for (const Option &option : kOptions) {
        std::string left = "  ";
        if (option.shortName)
            left.append(option.shortName).append(", ");
        left += option.name;
        if (option.value)
            left.append(" ").append(option.value);
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += left + option.help + "\n";
    }
    return text + "\n"
                  "Files are written under a temporary name beside their paths and take their names when the\n"
                  "run ends well, replacing only a regular file; a device or a pipe is written directly. An\n"
                  "empty path, a folder or a symbolic link for --out or --log, and two outputs on one file are\n"
                  "refused. A run that fails leaves no output that looks finished, not even its frames.\n"
                  "Exit status: the program's; 2 for bad arguments; 3 when the recording fails.\n";
}
