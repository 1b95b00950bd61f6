// The entry point of `howdy` on Linux: opens the display, Wayland's or X's, and runs WinMain.
#include "backend_choice.h"
#include "core/resources.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] = "usage: howdy [--help | --version]\n"
                      "Plays the show over the desktop: on Wayland when WAYLAND_DISPLAY is set and the compositor\n"
                      "lets the screen be read, else on the X display that DISPLAY names. Esc ends it.\n"
                      "\n"
                      "  --help     print this text\n"
                      "  --version  print the version\n"
                      "\n"
                      "Other arguments are ignored. HOWDY_BACKEND=wayland or x11 chooses the display, HOWDY_OUTPUT\n"
                      "names the Wayland output to cover. With HOWDY_DEBUG set, it says why there is no sound\n"
                      "and how many frames it showed when.\n";

} // namespace

int main(int argc, char **argv)
{
    // Blocks of 128 KiB and more (screen-sized pixels, a sheet's rows) are mapped on their own
    // and given back as soon as they are freed. glibc would raise that bound to the size of the
    // first such block freed and serve later ones from its heap, where they stay resident.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // Like the Windows program, which takes no arguments, anything else on the command line is
    // passed to WinMain and ignored.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("howdy %s\n", HOWDY_VERSION);
            return 0;
        }
    }
    std::string error;
    auto backend = openBackend(error);
    if (!backend) {
        std::fprintf(stderr, "howdy: %s\n", error.c_str());
        // A connection that never answered is still being waited for on its own thread: the
        // libraries' exit handlers would free what it uses.
        std::fflush(nullptr);
        std::_Exit(1);
    }
    win32::Backend *host = backend.get();
    win32::installBackend(std::move(backend));
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    int code = WinMain(win32::moduleInstance(), nullptr, commandLine.data(), SW_SHOWNORMAL);
    if (std::getenv("HOWDY_DEBUG") && !host->runSummary().empty())
        std::fprintf(stderr, "howdy: %s\n", host->runSummary().c_str());
    // Like the end of a Windows process: other threads stop where they stand, nothing is torn down.
    std::fflush(nullptr);
    std::_Exit(code);
}
