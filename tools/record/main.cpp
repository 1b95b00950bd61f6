// howdy-record: runs the program on the headless backend and writes what it showed.
#include "options.h"
#include "recorder.h"

#include "../../platform/core/backend.h"
#include "../../platform/core/resources.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    std::string error;
    auto options = parseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "howdy-record: %s\n", error.c_str());
        return 2;
    }
    auto recorder = Recorder::open(*options, error);
    if (!recorder) {
        std::fprintf(stderr, "howdy-record: %s\n", error.c_str());
        return 2;
    }
    headless::start(options->screen, recorder.get());
    char commandLine[] = "";
    int code = WinMain(win32::moduleInstance(), nullptr, commandLine, SW_SHOWNORMAL);
    recorder->programExited(code, win32::backend().now());
}
