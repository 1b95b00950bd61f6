// The show frame after frame without its message loop (no exit timer ends it), printing the count
// of GDI objects after frame 1 and every 100 frames to 3000, the trip and the badge's rest
// included; exits 1 unless every count is the same.
#include "../../app/app.h"
#include "../../show/render.h"

#ifndef _WIN32
#include "../../platform/core/resources.h"
#include "../../platform/headless/headless.h"
#endif

#include <cstdio>

namespace {

// Wine answers GetGuiResources with 0. Like Windows, it keeps every GDI object in a table that
// the process environment block (at gs:0x60) points to, at 0xF8; in Wine the table holds this
// process's objects alone, and a deleted object's entry loses its type.
DWORD gdiObjects()
{
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
#ifdef _WIN32
    struct Entry {
        unsigned long long object;
        unsigned long owner;
        unsigned short unique;
        unsigned char type, flags;
        unsigned long long user;
    };
    static_assert(sizeof(Entry) == 24);
    const unsigned char *peb;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    const auto *table = *reinterpret_cast<const Entry *const *>(peb + 0xF8);
    if (count == 0 && table)
        for (int i = 0; i < 0x10000; ++i)
            count += table[i].type != 0;
#endif
    return count;
}

} // namespace

int main()
{
#ifdef _WIN32
    HINSTANCE instance = GetModuleHandleA(nullptr);
#else
    headless::start(headless::Config{}, nullptr);
    HINSTANCE instance = win32::moduleInstance();
#endif
    if (!createOverlayWindow(instance)) {
        std::printf("no overlay window\n");
        return 1;
    }
    DWORD first = 0;
    bool flat = true;
    for (int frame = 1; frame <= 3000; ++frame) {
        renderFrame();
        if (frame != 1 && frame % 100 != 0)
            continue;
        DWORD count = gdiObjects();
        std::printf("frame %d: %lu GDI objects\n", frame, static_cast<unsigned long>(count));
        if (frame == 1)
            first = count;
        flat = flat && count == first && count > 0;
    }
    std::fflush(stdout);
    return flat ? 0 : 1;
}
