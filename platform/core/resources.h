// The program's resources: a compiled resource script (.res) embedded in the binary.
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace win32 {

// The instance handle WinMain receives; resource calls accept it or null.
HINSTANCE moduleInstance();

// Replaces the embedded resources, for tests that bring their own .res image. The bytes must
// outlive their use.
void useResources(std::span<const std::uint8_t> resFile);

// For tests of broken media, before the program starts: hides a resource from every lookup, or
// hands out its data with every byte inverted. False if there is no such resource.
enum class ResourceFault { Hidden, Corrupted };
bool breakResource(LPCSTR type, LPCSTR name, ResourceFault fault);

struct Cursor : Object {
    static constexpr Kind kKind = Kind::Cursor;
    Cursor() : Object(kKind) {}

    // "arrow" for the system arrow, else the resource name in lower case.
    std::string name;
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    // One byte per pixel, rows top-down: AND 1 and XOR 0 is transparent, AND 0 shows XOR's
    // black (0) or white (1).
    std::vector<std::uint8_t> andMask;
    std::vector<std::uint8_t> xorMask;
};

struct Icon : Object {
    static constexpr Kind kKind = Kind::Icon;
    Icon() : Object(kKind) {}
    std::string name;

    // The images of the icon that the layer reads (1, 4 and 8 bits a pixel), in the group's
    // order: 0xAARRGGBB pixels, rows top-down, transparent where the AND mask is set.
    struct Image {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> argb;
    };
    std::vector<Image> images;
};

} // namespace win32
