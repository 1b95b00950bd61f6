// The render thread: composes each frame in composeSurface, presents it, sleeps frameDelay.
#pragma once

#include <windows.h>

DWORD WINAPI renderThread(LPVOID parameter);
void renderFrame();
