// howdy-record: runs the program on the headless backend and writes what it showed.
#include "options.h"
#include "recorder.h"

#include "../../platform/core/backend.h"
#include "../../platform/core/resources.h"

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    std::string error;
    auto options = parseOptions(argc, argv, error);
    if (options && options->help) {
        std::fputs(usage().c_str(), stdout);
        return 0;
    }
    // A pipe whose reader has gone is a failed output, reported as one, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    auto recorder = options ? Recorder::open(*options, error) : nullptr;
    if (!recorder) {
        std::fprintf(stderr, "howdy-record: %s\n", error.c_str());
        return 2;
    }
    headless::start(options->screen, recorder.get());
    char commandLine[] = "";
    int code = WinMain(win32::moduleInstance(), nullptr, commandLine, SW_SHOWNORMAL);
    recorder->programExited(code, win32::backend().now());
}
