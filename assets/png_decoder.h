// Decodes the sprite sheets, stored as PNG resources, into screen-compatible bitmaps. It reads
// the kind of PNG the sheets are: palette images of 1, 4 or 8 bits, not interlaced.
#pragma once

#include <windows.h>

// The bitmap for PNG resource `id`, compatible with the window's DC (the screen's when null);
// null when the resource is missing or is not a PNG this decoder reads.
HBITMAP decodePngResource(WORD id, HWND window);
