// Files on drive C: of Windows paths, which the backend keeps: the C library's fopen for the
// program's file streams, DeleteFileA, and the Windows directory.
#include "files.h"

#include "backend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace win32 {

bool isDrivePath(const char *path)
{
    return path && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::optional<std::string> driveFileName(const char *path)
{
    if (!isDrivePath(path))
        return std::nullopt;
    std::string name(path + 3);
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
        return std::nullopt;
    return name;
}

} // namespace win32

namespace {

int openFlags(const char *mode)
{
    bool update = std::strchr(mode, '+') != nullptr;
    switch (mode[0]) {
    case 'r':
        return update ? O_RDWR : O_RDONLY;
    case 'w':
        return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
        return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
        return -1;
    }
}

using Fopen = FILE *(*)(const char *, const char *);

FILE *openFile(const char *path, const char *mode, const char *libraryName)
{
    if (!win32::isDrivePath(path)) {
        static auto next = reinterpret_cast<Fopen>(dlsym(RTLD_NEXT, libraryName));
        if (!next) {
            errno = ENOSYS;
            return nullptr;
        }
        return next(path, mode);
    }
    auto name = win32::driveFileName(path);
    int flags = mode ? openFlags(mode) : -1;
    if (!name || flags < 0 || !win32::backendInstalled()) {
        errno = !name ? ENOENT : EINVAL;
        return nullptr;
    }
    int fd = win32::backend().openDriveFile(*name, flags);
    if (fd < 0)
        return nullptr;
    FILE *file = fdopen(fd, mode);
    if (!file)
        close(fd);
    return file;
}

} // namespace

// The C++ library's file streams open through these; a Windows path on drive C: goes to the
// backend's drive, every other path to the C library as usual.
extern "C" FILE *fopen(const char *__restrict path, const char *__restrict mode)
{
    return openFile(path, mode, "fopen");
}

extern "C" FILE *fopen64(const char *__restrict path, const char *__restrict mode)
{
    return openFile(path, mode, "fopen64");
}

extern "C" BOOL WINAPI DeleteFileA(LPCSTR path)
{
    auto name = win32::driveFileName(path);
    return name && win32::backend().removeDriveFile(*name) ? TRUE : FALSE;
}

// The length copied without its terminator, or the size needed when the buffer is too small.
extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    std::string folder = win32::backend().windowsDirectory();
    if (!buffer || size <= folder.size())
        return UINT(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return UINT(folder.size());
}
