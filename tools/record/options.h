// howdy-record's command line.
#pragma once

#include "../../platform/headless/headless.h"

#include <optional>
#include <string>

struct RecordOptions {
    headless::Config screen;
    std::optional<std::string> framesDir;
    std::optional<std::string> outFile;
    std::optional<std::string> logFile;
    // A run that never ends by itself stops here.
    long long maxFrames = 3000;
};

// Parses the arguments; on failure returns nothing and sets `error` to one line naming the
// problem.
std::optional<RecordOptions> parseOptions(int argc, char **argv, std::string &error);
