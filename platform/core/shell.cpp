// The shell's FindExecutableA and ShellExecuteA, over the backend's desktop.
#include "backend.h"
#include "files.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <variant>

namespace {

HINSTANCE result(int code)
{
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(code));
}

} // namespace

// Only files in the root of drive C: are asked about; the program found is written into
// `program`, MAX_PATH characters with the terminator, and is empty on failure.
extern "C" HINSTANCE WINAPI FindExecutableA(LPCSTR file, LPCSTR, LPSTR program)
{
    if (!program)
        return result(SE_ERR_FNF);
    program[0] = '\0';
    auto name = win32::driveFileName(file);
    if (!name)
        return result(SE_ERR_FNF);
    auto found = win32::backend().findExecutable(*name);
    if (auto *code = std::get_if<int>(&found))
        return result(*code);
    const std::string &command = std::get<std::string>(found);
    if (command.size() >= MAX_PATH)
        return result(SE_ERR_NOASSOC);
    std::memcpy(program, command.c_str(), command.size() + 1);
    return result(42);
}

extern "C" HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int)
{
    if (!file || !*file)
        return result(SE_ERR_FNF);
    // Opening is all this desktop knows how to do with a file.
    if (verb && std::strcmp(verb, "open") != 0)
        return result(SE_ERR_NOASSOC);
    win32::ShellRequest request{verb ? std::optional<std::string>(verb) : std::nullopt, file,
                                parameters ? std::optional<std::string>(parameters) : std::nullopt,
                                directory ? std::optional<std::string>(directory) : std::nullopt};
    return result(win32::backend().shellExecute(request));
}
