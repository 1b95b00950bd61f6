// The Windows shell: finding the program for a file, and starting programs and documents.
#ifndef HOWDY_PLATFORM_SHELLAPI_H
#define HOWDY_PLATFORM_SHELLAPI_H

#include <windows.h>

// Results of 32 or less are errors.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

extern "C" {
HINSTANCE WINAPI FindExecutableA(LPCSTR file, LPCSTR directory, LPSTR result);
HINSTANCE WINAPI ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               int showCommand);
}

#endif
