// The entry point of `howdy-wayland`, which runs the program on the backend openBackend
// chooses, as `howdy` will once its entry point asks openBackend.
#include "../backend_choice.h"
#include "../core/resources.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    std::string error;
    auto backend = openBackend(error);
    if (!backend) {
        std::fprintf(stderr, "howdy: %s\n", error.c_str());
        return 1;
    }
    win32::installBackend(std::move(backend));
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    int code = WinMain(win32::moduleInstance(), nullptr, commandLine.data(), SW_SHOWNORMAL);
    // Like the end of a Windows process: other threads stop where they stand, nothing is torn down.
    std::fflush(nullptr);
    std::_Exit(code);
}
