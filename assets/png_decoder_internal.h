// The decoder's routines and process-wide state, for the decoder itself and its tests.
#pragma once

#include "png_decoder.h"

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

// Why the last decode gave no bitmap.
enum class PngRefusal {
    None,
    NoResource,        // no "PNG" resource with that id, or it can't be loaded
    NoSignature,       // the data does not start with the PNG signature
    NoHeader,          // the first chunk is not a whole IHDR
    BadSize,           // a side of 0 or beyond the largest sheet this decoder takes
    UnsupportedFormat, // not a non-interlaced palette image of 1, 4 or 8 bits
    Truncated,         // a chunk runs past the end, or IEND never comes
    NoPalette,         // no PLTE before IEND
    BadImageData,      // the image data does not inflate
    ShortImageData,    // it inflates to fewer bytes than the rows need
    BadFilter,         // a scanline filter type beyond 4
    OutOfMemory,
    NoBitmap,          // the layer could not make the bitmap
};

// The decoder's state, shared by its routines; one decode at a time.
extern std::int32_t pngCursor;
extern std::int32_t pngWidth;
extern std::int32_t pngHeight;
extern std::int32_t pngBitDepth;
extern std::int32_t pngPaletteSize;
// The size of the resource being decoded: no read goes past it.
extern std::uint32_t pngResourceSize;
extern PngRefusal pngRefusal;

bool checkPngSignature(const BYTE *data);
PngChunk nextPngChunk(const BYTE *data);
int classifyPngChunk(const PngChunk &chunk);
int readPngHeader(const PngChunk &chunk, const BYTE *data);
void appendPngData(const PngChunk &chunk, BYTE *buffer, std::uint32_t &count, const BYTE *data);
bool unfilterPngRows(BYTE *inflated);
void copyPngRows(BYTE *pixels, const BYTE *inflated);
int inflatePngData(BYTE *output, unsigned long &room, const BYTE *input, unsigned long inputLength);
