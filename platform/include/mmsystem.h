// Windows multimedia: the sound call the program makes.
#ifndef HOWDY_PLATFORM_MMSYSTEM_H
#define HOWDY_PLATFORM_MMSYSTEM_H

#include <windows.h>

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_MEMORY 0x0004
#define SND_PURGE 0x0040
#define SND_RESOURCE 0x00040004L

extern "C" BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);

#endif
