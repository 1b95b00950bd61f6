// howdy-record's command line.
#pragma once

#include "output_file.h"

#include "../../platform/headless/headless.h"

#include <optional>
#include <string>

struct RecordOptions {
    headless::Config screen;
    std::optional<OutputPath> frames;
    std::optional<OutputPath> out;
    std::optional<OutputPath> log;
    // A run that never ends by itself stops here.
    long long maxFrames = 3000;
    // Asked for the usage text: nothing else was read or checked.
    bool help = false;
};

// Parses and checks the arguments; on failure returns nothing and sets `error` to one line naming
// the problem.
std::optional<RecordOptions> parseOptions(int argc, char **argv, std::string &error);

// The usage text, listing every option.
std::string usage();
