#include "options.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace {

bool parseInteger(const std::string &text, long long &value, long long low, long long high)
{
    const char *end = text.data() + text.size();
    auto [at, problem] = std::from_chars(text.data(), end, value);
    return problem == std::errc() && at == end && value >= low && value <= high;
}

bool parseSize(const std::string &text, int &width, int &height)
{
    auto x = text.find('x');
    long long w, h;
    if (x == std::string::npos || !parseInteger(text.substr(0, x), w, 1, 16384) ||
        !parseInteger(text.substr(x + 1), h, 1, 16384))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

} // namespace

std::optional<RecordOptions> parseOptions(int argc, char **argv, std::string &error)
{
    RecordOptions options;
    bool sizeGiven = false;
    std::optional<std::string> desktopFile, inputFile;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            error = "usage: howdy-record [--size WxH] [--desktop FILE.png] [--workarea-bottom N] [--time SECONDS] "
                    "[--frames DIR] [--out FILE.webp] [--log FILE.jsonl] [--input FILE] [--max-frames N]";
            return std::nullopt;
        }
        if (option.rfind("--", 0) != 0) {
            error = "unexpected argument '" + option + "'";
            return std::nullopt;
        }
        static const char *const known[] = {"--size", "--desktop", "--workarea-bottom", "--time",      "--frames",
                                            "--out",  "--log",     "--input",           "--max-frames"};
        bool isKnown = false;
        for (const char *name : known)
            isKnown = isKnown || option == name;
        if (!isKnown) {
            error = "unknown option '" + option + "'";
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return std::nullopt;
        }
        std::string value = argv[++i];
        long long number;
        if (option == "--size") {
            if (!parseSize(value, options.screen.width, options.screen.height)) {
                error = "--size '" + value + "' is not WIDTHxHEIGHT with each from 1 to 16384";
                return std::nullopt;
            }
            sizeGiven = true;
        } else if (option == "--desktop") {
            desktopFile = value;
        } else if (option == "--workarea-bottom") {
            if (!parseInteger(value, number, 0, 16384)) {
                error = "--workarea-bottom '" + value + "' is not a row from 0 to the screen's height";
                return std::nullopt;
            }
            options.screen.workAreaBottom = int(number);
        } else if (option == "--time") {
            if (!parseInteger(value, number, 0, 1LL << 40)) {
                error = "--time '" + value + "' is not a number of seconds";
                return std::nullopt;
            }
            options.screen.startTime = std::time_t(number);
        } else if (option == "--frames") {
            options.framesDir = value;
        } else if (option == "--out") {
            options.outFile = value;
        } else if (option == "--log") {
            options.logFile = value;
        } else if (option == "--input") {
            inputFile = value;
        } else if (option == "--max-frames") {
            if (!parseInteger(value, number, 1, 1LL << 31)) {
                error = "--max-frames '" + value + "' is not a positive number";
                return std::nullopt;
            }
            options.maxFrames = number;
        }
    }
    if (desktopFile) {
        std::string problem;
        options.screen.desktop = headless::readPng(*desktopFile, problem);
        if (!options.screen.desktop) {
            error = "--desktop " + *desktopFile + ": " + problem;
            return std::nullopt;
        }
        // Without --size the screen takes the picture's size.
        if (!sizeGiven) {
            options.screen.width = options.screen.desktop->width;
            options.screen.height = options.screen.desktop->height;
        }
    }
    if (options.screen.workAreaBottom && *options.screen.workAreaBottom > options.screen.height) {
        error = "--workarea-bottom " + std::to_string(*options.screen.workAreaBottom) + " lies below the screen";
        return std::nullopt;
    }
    if (inputFile) {
        std::ifstream in(*inputFile);
        if (!in) {
            error = "--input " + *inputFile + ": can't be read";
            return std::nullopt;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::string problem;
        auto events = headless::parseInputScript(text.str(), problem);
        if (!events) {
            error = "--input " + *inputFile + ": " + problem;
            return std::nullopt;
        }
        options.screen.input = std::move(*events);
    }
    return options;
}
