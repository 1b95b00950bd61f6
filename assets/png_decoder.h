// Decodes the sprite sheets, stored as PNG resources, into screen-compatible bitmaps. It reads
// the kind of PNG the sheets are: palette images of 1, 4 or 8 bits, not interlaced.
#pragma once

#include <windows.h>

#include <cstdint>

struct PngChunk {
    std::uint32_t length;
    char type[4];
    std::uint32_t dataOffset;
    // False when the chunk runs past the end of the resource.
    bool complete;
};

// Kinds that classifyPngChunk returns.
constexpr int PNG_CHUNK_PLTE = 0;
constexpr int PNG_CHUNK_IDAT = 1;
constexpr int PNG_CHUNK_IEND = 2;
constexpr int PNG_CHUNK_IHDR = 3;
constexpr int PNG_CHUNK_OTHER = -1;

// The decoder's state, shared by its routines; one decode at a time.
extern std::int32_t pngCursor;
extern std::int32_t pngWidth;
extern std::int32_t pngHeight;
extern std::int32_t pngBitDepth;
extern std::int32_t pngPaletteSize;
// The size of the resource being decoded: no read goes past it.
extern std::uint32_t pngResourceSize;

// The bitmap for PNG resource `id`, compatible with the window's DC (the screen's when null);
// null when the resource is missing or is not a PNG this decoder reads.
HBITMAP decodePngResource(WORD id, HWND window);

bool checkPngSignature(const BYTE *data);
PngChunk nextPngChunk(const BYTE *data);
int classifyPngChunk(const PngChunk &chunk);
int readPngHeader(const PngChunk &chunk, const BYTE *data);
void appendPngData(const PngChunk &chunk, BYTE *buffer, std::uint32_t &count, const BYTE *data);
bool unfilterPngRows(BYTE *inflated);
void copyPngRows(BYTE *pixels, const BYTE *inflated);
int inflatePngData(BYTE *output, unsigned long &room, const BYTE *input, unsigned long inputLength);
