// A stand-in for the program registered for HTML files: it appends the command line it was
// started with, as it is, and a line break to the file that NOTEHANDLER_OUT names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char *path = std::getenv("NOTEHANDLER_OUT");
    if (!path)
        return 2;
    std::FILE *out = std::fopen(path, "ab");
    if (!out)
        return 3;
    std::fprintf(out, "%s\n", GetCommandLineA());
    return std::fclose(out) == 0 ? 0 : 3;
}
