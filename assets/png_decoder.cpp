#include "png_decoder_internal.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

std::int32_t pngCursor;
std::int32_t pngWidth;
std::int32_t pngHeight;
std::int32_t pngBitDepth;
std::int32_t pngPaletteSize;
std::uint32_t pngResourceSize;
PngRefusal pngRefusal;

namespace {

// Sheets are a few hundred pixels; anything beyond this is not one, and keeps every product of
// the sizes below within 32 bits.
constexpr std::uint32_t kMaxSide = 16384;

using Buffer = std::unique_ptr<BYTE, decltype(&std::free)>;

Buffer allocate(std::size_t bytes)
{
    return Buffer(static_cast<BYTE *>(std::malloc(bytes ? bytes : 1)), &std::free);
}

Buffer allocateCleared(std::size_t bytes)
{
    return Buffer(static_cast<BYTE *>(std::calloc(bytes ? bytes : 1, 1)), &std::free);
}

// Every read of the resource asks first whether the bytes are there.
bool resourceHas(std::uint64_t offset, std::uint64_t count)
{
    return offset <= pngResourceSize && count <= pngResourceSize - offset;
}

std::uint32_t readBigEndian(const BYTE *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::size_t rowBytes()
{
    return (std::size_t(pngBitDepth) * std::size_t(pngWidth) + 7) / 8;
}

std::size_t rawImageBytes()
{
    return (rowBytes() + 1) * std::size_t(pngHeight);
}

HBITMAP refuse(PngRefusal why)
{
    pngRefusal = why;
    return nullptr;
}

BYTE paeth(BYTE left, BYTE up, BYTE upLeft)
{
    int estimate = int(left) + int(up) - int(upLeft);
    int toLeft = std::abs(estimate - int(left)), toUp = std::abs(estimate - int(up)),
        toUpLeft = std::abs(estimate - int(upLeft));
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return left;
    return toUp <= toUpLeft ? up : upLeft;
}

} // namespace

bool checkPngSignature(const BYTE *data)
{
    static const BYTE signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return resourceHas(0, 8) && std::memcmp(data, signature, 8) == 0;
}

PngChunk nextPngChunk(const BYTE *data)
{
    PngChunk chunk{};
    std::uint64_t at = std::uint32_t(pngCursor);
    if (!resourceHas(at, 8))
        return chunk;
    chunk.length = readBigEndian(data + at);
    std::memcpy(chunk.type, data + at + 4, 4);
    chunk.dataOffset = std::uint32_t(at + 8);
    chunk.complete = resourceHas(at + 8, std::uint64_t(chunk.length) + 4);
    if (chunk.complete)
        pngCursor = std::int32_t(at + 12 + chunk.length);
    return chunk;
}

int classifyPngChunk(const PngChunk &chunk)
{
    if (std::memcmp(chunk.type, "PLTE", 4) == 0)
        return PNG_CHUNK_PLTE;
    if (std::memcmp(chunk.type, "IDAT", 4) == 0)
        return PNG_CHUNK_IDAT;
    if (std::memcmp(chunk.type, "IEND", 4) == 0)
        return PNG_CHUNK_IEND;
    if (std::memcmp(chunk.type, "IHDR", 4) == 0)
        return PNG_CHUNK_IHDR;
    return PNG_CHUNK_OTHER;
}

// Reads IHDR. Refuses, changing nothing but pngRefusal, any header of an image this decoder
// can't reproduce: sizes of 0 or beyond kMaxSide, bit depths other than 1, 4 and 8, colour
// types other than palette, interlacing.
int readPngHeader(const PngChunk &chunk, const BYTE *data)
{
    if (classifyPngChunk(chunk) != PNG_CHUNK_IHDR || !chunk.complete || chunk.length < 13) {
        pngRefusal = PngRefusal::NoHeader;
        return -1;
    }
    const BYTE *fields = data + chunk.dataOffset;
    std::uint32_t width = readBigEndian(fields), height = readBigEndian(fields + 4);
    int bitDepth = fields[8], colourType = fields[9], compression = fields[10], filterMethod = fields[11],
        interlace = fields[12];
    if (width == 0 || width > kMaxSide || height == 0 || height > kMaxSide) {
        pngRefusal = PngRefusal::BadSize;
        return -1;
    }
    if ((bitDepth != 1 && bitDepth != 4 && bitDepth != 8) || colourType != 3 || compression != 0 ||
        filterMethod != 0 || interlace != 0) {
        pngRefusal = PngRefusal::UnsupportedFormat;
        return -1;
    }
    pngWidth = std::int32_t(width);
    pngHeight = std::int32_t(height);
    pngBitDepth = bitDepth;
    pngPaletteSize = 1 << bitDepth;
    return 0;
}

void appendPngData(const PngChunk &chunk, BYTE *buffer, std::uint32_t &count, const BYTE *data)
{
    std::memcpy(buffer + count, data + chunk.dataOffset, chunk.length);
    count += chunk.length;
}

// Undoes the scanline filters (Sub, Up, Average, Paeth) in place, so that each row holds its
// pixels as copyPngRows expects; rows of filter type 0 are left as they are. Pixels of these
// bit depths are filtered a byte at a time. False for a filter type that doesn't exist.
bool unfilterPngRows(BYTE *inflated)
{
    std::size_t length = rowBytes();
    const BYTE *previous = nullptr;
    for (std::int32_t r = 0; r < pngHeight; ++r) {
        BYTE *row = inflated + std::size_t(r) * (length + 1);
        BYTE filter = row[0];
        BYTE *pixels = row + 1;
        if (filter > 4)
            return false;
        for (std::size_t i = 0; i < length && filter != 0; ++i) {
            BYTE left = i ? pixels[i - 1] : 0;
            BYTE up = previous ? previous[i] : 0;
            BYTE upLeft = previous && i ? previous[i - 1] : 0;
            BYTE predictor = filter == 1   ? left
                             : filter == 2 ? up
                             : filter == 3 ? BYTE((int(left) + int(up)) / 2)
                                           : paeth(left, up, upLeft);
            pixels[i] = BYTE(pixels[i] + predictor);
        }
        previous = pixels;
    }
    return true;
}

void copyPngRows(BYTE *pixels, const BYTE *inflated)
{
    std::size_t length = rowBytes();
    std::size_t stride = length + (4 - length % 4) % 4;
    for (std::int32_t r = 0; r < pngHeight; ++r) {
        const BYTE *scanline = inflated + std::size_t(r) * (length + 1) + 1;
        std::memcpy(pixels + stride * std::size_t(pngHeight - 1 - r), scanline, length);
    }
}

int inflatePngData(BYTE *output, unsigned long &room, const BYTE *input, unsigned long inputLength)
{
    z_stream stream{};
    stream.next_in = const_cast<BYTE *>(input);
    stream.avail_in = uInt(inputLength);
    stream.next_out = output;
    stream.avail_out = uInt(room);
    int result = inflateInit(&stream);
    if (result != Z_OK)
        return result;
    // The sheets are part of the program; a broken stream still fails on its structure or its
    // length, and skipping the checksum makes the biggest sheets decode a tenth faster.
    inflateValidate(&stream, 0);
    result = inflate(&stream, Z_FINISH);
    if (result == Z_STREAM_END) {
        room = stream.total_out;
        return inflateEnd(&stream);
    }
    inflateEnd(&stream);
    return result == Z_OK ? Z_BUF_ERROR : result;
}

HBITMAP decodePngResource(WORD id, HWND window)
{
    pngRefusal = PngRefusal::None;
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "PNG");
    if (!resource)
        return refuse(PngRefusal::NoResource);
    auto *data = static_cast<const BYTE *>(LockResource(LoadResource(nullptr, resource)));
    if (!data)
        return refuse(PngRefusal::NoResource);
    pngResourceSize = SizeofResource(nullptr, resource);
    if (!checkPngSignature(data))
        return refuse(PngRefusal::NoSignature);
    pngCursor = 8;
    PngChunk chunk = nextPngChunk(data);
    if (readPngHeader(chunk, data) != 0)
        return nullptr;

    // The compressed data is collected here and the pixels later copied into the same buffer:
    // height x (width + 5) + 1 holds both for every depth. It grows if the image data is larger.
    std::size_t capacity = std::size_t(pngHeight) * (std::size_t(pngWidth) + 5) + 1;
    Buffer compressed = allocate(capacity);
    unsigned long room = (unsigned long)(std::size_t(pngWidth) + 1) * std::size_t(pngHeight);
    Buffer inflated = allocate(room + 1);
    if (!compressed || !inflated)
        return refuse(PngRefusal::OutOfMemory);
    std::uint32_t collected = 0;
    Buffer palette(nullptr, &std::free);

    while (classifyPngChunk(chunk) != PNG_CHUNK_IEND) {
        switch (classifyPngChunk(chunk)) {
        case PNG_CHUNK_PLTE: {
            // Entries the chunk doesn't hold stay black; entries past the depth's count are unused.
            palette = allocateCleared(3 * std::size_t(pngPaletteSize));
            if (!palette)
                return refuse(PngRefusal::OutOfMemory);
            std::uint32_t present = std::min<std::uint32_t>(chunk.length / 3, std::uint32_t(pngPaletteSize));
            std::memcpy(palette.get(), data + chunk.dataOffset, 3 * std::size_t(present));
            break;
        }
        case PNG_CHUNK_IDAT:
            if (chunk.length > capacity - collected) {
                std::size_t needed = std::size_t(collected) + chunk.length;
                BYTE *grown = static_cast<BYTE *>(std::realloc(compressed.get(), needed));
                if (!grown)
                    return refuse(PngRefusal::OutOfMemory);
                compressed.release();
                compressed.reset(grown);
                capacity = needed;
            }
            appendPngData(chunk, compressed.get(), collected, data);
            break;
        default:
            break;
        }
        chunk = nextPngChunk(data);
        if (!chunk.complete)
            return refuse(PngRefusal::Truncated);
    }
    if (!palette)
        return refuse(PngRefusal::NoPalette);

    if (inflatePngData(inflated.get(), room, compressed.get(), collected) != Z_OK)
        return refuse(PngRefusal::BadImageData);
    // Rows the stream doesn't fill would show whatever the heap held.
    if (room < rawImageBytes())
        return refuse(PngRefusal::ShortImageData);
    if (!unfilterPngRows(inflated.get()))
        return refuse(PngRefusal::BadFilter);
    copyPngRows(compressed.get(), inflated.get());
    // Each work buffer goes as soon as its part is done, so that the bitmap made below can take
    // its place in the heap.
    inflated.reset();

    Buffer info = allocate(sizeof(BITMAPINFOHEADER) + 4 * std::size_t(pngPaletteSize));
    if (!info)
        return refuse(PngRefusal::OutOfMemory);
    auto *header = reinterpret_cast<BITMAPINFOHEADER *>(info.get());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = pngWidth;
    header->biHeight = pngHeight;
    header->biPlanes = 1;
    header->biBitCount = WORD(pngBitDepth);
    header->biCompression = BI_RGB;
    header->biSizeImage = 0;
    header->biXPelsPerMeter = 0;
    header->biYPelsPerMeter = 0;
    header->biClrUsed = 0;
    header->biClrImportant = 0;
    auto *colours = reinterpret_cast<RGBQUAD *>(info.get() + sizeof(BITMAPINFOHEADER));
    for (std::int32_t i = 0; i < pngPaletteSize; ++i) {
        colours[i].rgbRed = palette.get()[3 * i];
        colours[i].rgbGreen = palette.get()[3 * i + 1];
        colours[i].rgbBlue = palette.get()[3 * i + 2];
        colours[i].rgbReserved = 0;
    }
    palette.reset();

    HDC dc = GetDC(window);
    HBITMAP bitmap = CreateDIBitmap(dc, header, CBM_INIT, compressed.get(), reinterpret_cast<BITMAPINFO *>(info.get()),
                                    DIB_RGB_COLORS);
    ReleaseDC(window, dc);
    return bitmap ? bitmap : refuse(PngRefusal::NoBitmap);
}
