#include "raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace win32::raster {

namespace {

struct Clipped {
    int x, y, sourceX, sourceY, width, height;
};

// Clips one axis of a transfer to [0, destinationSize) and [0, sourceSize).
bool clipAxis(long long &dst, long long &src, long long &length, long long destinationSize, long long sourceSize)
{
    if (dst < 0) {
        src -= dst;
        length += dst;
        dst = 0;
    }
    if (src < 0) {
        dst -= src;
        length += src;
        src = 0;
    }
    length = std::min({length, destinationSize - dst, sourceSize - src});
    return length > 0;
}

std::optional<Clipped> clip(const Surface &destination, int x, int y, int width, int height, const Surface &source,
                            int sourceX, int sourceY)
{
    long long dx = x, dy = y, sx = sourceX, sy = sourceY, w = width, h = height;
    if (!clipAxis(dx, sx, w, destination.width, source.width) ||
        !clipAxis(dy, sy, h, destination.height, source.height))
        return std::nullopt;
    return Clipped{int(dx), int(dy), int(sx), int(sy), int(w), int(h)};
}

template <Rop R>
inline std::uint32_t combine(std::uint32_t d, std::uint32_t s)
{
    if constexpr (R == Rop::Copy)
        return s;
    else if constexpr (R == Rop::And)
        return d & s;
    else
        return d | s;
}

template <Rop R>
inline std::uint8_t combineByte(std::uint8_t d, std::uint8_t s)
{
    return static_cast<std::uint8_t>(combine<R>(d, s));
}

// --- colour destination ------------------------------------------------------------------

template <Rop R>
void colourFromColour(const Surface &dst, const Surface &src, const Clipped &c)
{
    // Whole rows of two packed surfaces are one block: one copy lets the C library stream it.
    if constexpr (R == Rop::Copy) {
        std::ptrdiff_t packed = std::ptrdiff_t(c.width) * 4;
        if (c.x == 0 && c.sourceX == 0 && dst.stride == packed && src.stride == packed) {
            std::memcpy(dst.row(c.y), src.row(c.sourceY), std::size_t(packed) * std::size_t(c.height));
            return;
        }
    }
    for (int row = 0; row < c.height; ++row) {
        std::uint32_t *__restrict d = dst.pixels(c.y + row) + c.x;
        const std::uint32_t *__restrict s = src.pixels(c.sourceY + row) + c.sourceX;
        if constexpr (R == Rop::Copy) {
            std::memcpy(d, s, std::size_t(c.width) * 4);
        } else {
            for (int i = 0; i < c.width; ++i)
                d[i] = combine<R>(d[i], s[i]);
        }
    }
}

template <Rop R>
void colourFromMono(const Surface &dst, const Surface &src, const Clipped &c, const Colours &colours)
{
    const std::uint32_t pick[2] = {colours.destinationText, colours.destinationBackground};
    for (int row = 0; row < c.height; ++row) {
        std::uint32_t *__restrict d = dst.pixels(c.y + row) + c.x;
        // The source bits are read a byte at a time; no byte past the rectangle is touched.
        const std::uint8_t *s = src.row(c.sourceY + row) + (c.sourceX >> 3);
        int shift = 7 - (c.sourceX & 7);
        unsigned bits = *s;
        for (int i = 0; i < c.width; ++i) {
            d[i] = combine<R>(d[i], pick[(bits >> shift) & 1]);
            if (--shift < 0 && i + 1 < c.width) {
                shift = 7;
                bits = *++s;
            }
        }
    }
}

// --- monochrome destination -------------------------------------------------------------

// Writes `bits`, packed so that bit k of the stream belongs to destination column x + k and
// laid out from the destination's own bit offset, into one monochrome row.
template <Rop R>
void storeMonoRow(std::uint8_t *row, int x, int width, const std::uint8_t *bits)
{
    int first = x >> 3, last = (x + width - 1) >> 3;
    for (int byte = first; byte <= last; ++byte) {
        std::uint8_t mask = 0xFF;
        if (byte == first)
            mask &= static_cast<std::uint8_t>(0xFF >> (x & 7));
        if (byte == last)
            mask &= static_cast<std::uint8_t>(0xFF << (7 - ((x + width - 1) & 7)));
        std::uint8_t s = bits[byte - first];
        std::uint8_t d = row[byte];
        row[byte] = static_cast<std::uint8_t>((d & ~mask) | (combineByte<R>(d, s) & mask));
    }
}

template <Rop R>
void monoFromColour(const Surface &dst, const Surface &src, const Clipped &c, const Colours &colours)
{
    std::vector<std::uint8_t> bits(std::size_t((c.x & 7) + c.width + 7) / 8 + 1);
    const std::uint32_t key = colours.sourceBackground & 0xFFFFFF;
    for (int row = 0; row < c.height; ++row) {
        const std::uint32_t *s = src.pixels(c.sourceY + row) + c.sourceX;
        // Eight pixels make a byte, gathered in a register and stored whole.
        unsigned byte = 0;
        int k = c.x & 7;
        std::uint8_t *out = bits.data();
        for (int i = 0; i < c.width; ++i, ++k) {
            byte = (byte << 1) | unsigned((s[i] & 0xFFFFFF) == key);
            if ((k & 7) == 7) {
                *out++ = static_cast<std::uint8_t>(byte);
                byte = 0;
            }
        }
        if (k & 7)
            *out = static_cast<std::uint8_t>(byte << (8 - (k & 7)));
        storeMonoRow<R>(dst.row(c.y + row), c.x, c.width, bits.data());
    }
}

template <Rop R>
void monoFromMono(const Surface &dst, const Surface &src, const Clipped &c)
{
    std::vector<std::uint8_t> bits(std::size_t((c.x & 7) + c.width + 7) / 8 + 1);
    for (int row = 0; row < c.height; ++row) {
        std::fill(bits.begin(), bits.end(), 0);
        int shift = c.x & 7;
        for (int i = 0; i < c.width; ++i) {
            int k = shift + i;
            if (src.monoBit(c.sourceX + i, c.sourceY + row))
                bits[std::size_t(k >> 3)] |= static_cast<std::uint8_t>(0x80 >> (k & 7));
        }
        storeMonoRow<R>(dst.row(c.y + row), c.x, c.width, bits.data());
    }
}

template <Rop R>
void dispatch(const Surface &dst, const Surface &src, const Clipped &c, const Colours &colours)
{
    if (!dst.monochrome()) {
        if (!src.monochrome())
            colourFromColour<R>(dst, src, c);
        else
            colourFromMono<R>(dst, src, c, colours);
    } else {
        if (!src.monochrome())
            monoFromColour<R>(dst, src, c, colours);
        else
            monoFromMono<R>(dst, src, c);
    }
}

// A fill larger than half the last-level cache would only push out what the next operations
// read; such fills go straight to memory, as the C library's memset does with large blocks.
std::size_t streamingFillBytes()
{
    static const std::size_t bytes = [] {
        long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
        return cache > 0 ? std::size_t(cache) / 2 : std::size_t(8) << 20;
    }();
    return bytes;
}

void fillRow(std::uint32_t *row, int count, std::uint32_t pixel, bool streaming)
{
#if defined(__SSE2__)
    if (streaming) {
        int i = 0;
        for (; i < count && (reinterpret_cast<std::uintptr_t>(row + i) & 15) != 0; ++i)
            row[i] = pixel;
        const __m128i four = _mm_set1_epi32(int(pixel));
        for (; i + 4 <= count; i += 4)
            _mm_stream_si128(reinterpret_cast<__m128i *>(row + i), four);
        for (; i < count; ++i)
            row[i] = pixel;
        return;
    }
#else
    (void)streaming;
#endif
    std::fill_n(row, count, pixel);
}

// Bayer's 8 x 8 ordered-dither thresholds, 0 to 63.
constexpr std::uint8_t kDitherThresholds[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21},
};

// Eight monochrome pixels of row y that a solid brush of `colour` paints, from the column that
// is a multiple of 8: white where the colour's grey level (0 to 64) and the pixel's threshold
// add up to more than 63. Black and white come out plain.
std::uint8_t ditheredByte(COLORREF colour, int y)
{
    int grey = (30 * GetRValue(colour) + 59 * GetGValue(colour) + 11 * GetBValue(colour) + 200) / 400;
    unsigned byte = 0;
    for (int x = 0; x < 8; ++x)
        byte = (byte << 1) | unsigned(grey + kDitherThresholds[y & 7][x] > 63);
    return static_cast<std::uint8_t>(byte);
}

bool overlaps(const Surface &dst, const Surface &src, const Clipped &c)
{
    if (dst.bits != src.bits)
        return false;
    return c.x < c.sourceX + c.width && c.sourceX < c.x + c.width && c.y < c.sourceY + c.height &&
           c.sourceY < c.y + c.height;
}

} // namespace

std::optional<Rop> ropFromCode(DWORD code)
{
    switch (code) {
    case SRCCOPY:
        return Rop::Copy;
    case SRCAND:
        return Rop::And;
    case SRCPAINT:
        return Rop::Paint;
    default:
        return std::nullopt;
    }
}

void blt(const Surface &destination, int x, int y, int width, int height, const Surface &source, int sourceX,
         int sourceY, Rop rop, const Colours &colours)
{
    auto clipped = clip(destination, x, y, width, height, source, sourceX, sourceY);
    if (!clipped)
        return;
    Clipped c = *clipped;

    // A transfer within one surface whose rectangles overlap reads a copy of the source, so
    // that no pixel is read after it has been written.
    Surface from = source;
    std::vector<std::uint8_t> copy;
    if (overlaps(destination, source, c)) {
        copy.assign(source.bits, source.bits + source.stride * source.height);
        from.bits = copy.data();
    }

    switch (rop) {
    case Rop::Copy:
        dispatch<Rop::Copy>(destination, from, c, colours);
        break;
    case Rop::And:
        dispatch<Rop::And>(destination, from, c, colours);
        break;
    case Rop::Paint:
        dispatch<Rop::Paint>(destination, from, c, colours);
        break;
    }
}

RECT copyChanged(const Surface &destination, int x, int y, int width, int height, const Surface &source, int sourceX,
                 int sourceY)
{
    RECT changed{0, 0, 0, 0};
    auto clipped = clip(destination, x, y, width, height, source, sourceX, sourceY);
    if (!clipped)
        return changed;
    const Clipped &c = *clipped;
    // Pixels compared at a time, which the compiler turns into a few vector compares.
    constexpr int kBlock = 16;
    for (int row = 0; row < c.height; ++row) {
        std::uint32_t *d = destination.pixels(c.y + row) + c.x;
        const std::uint32_t *s = source.pixels(c.sourceY + row) + c.sourceX;
        // Most rows of a frame are as they were: read once, and nothing written.
        int first = 0, end = c.width;
        while (first + kBlock <= c.width && std::memcmp(d + first, s + first, kBlock * 4) == 0)
            first += kBlock;
        while (first < c.width && d[first] == s[first])
            ++first;
        if (first == c.width)
            continue;
        while (end - kBlock > first && std::memcmp(d + end - kBlock, s + end - kBlock, kBlock * 4) == 0)
            end -= kBlock;
        while (d[end - 1] == s[end - 1])
            --end;
        std::memcpy(d + first, s + first, std::size_t(end - first) * 4);
        int top = c.y + row;
        if (changed.left == changed.right) {
            changed = RECT{c.x + first, top, c.x + end, top + 1};
        } else {
            changed.left = std::min<LONG>(changed.left, c.x + first);
            changed.right = std::max<LONG>(changed.right, c.x + end);
            changed.bottom = top + 1;
        }
    }
    return changed;
}

void fill(const Surface &destination, int left, int top, int right, int bottom, COLORREF colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, destination.width);
    bottom = std::min(bottom, destination.height);
    if (left >= right || top >= bottom)
        return;
    if (!destination.monochrome()) {
        std::uint32_t pixel = pixelFromColour(colour);
        bool streaming = std::size_t(right - left) * std::size_t(bottom - top) * 4 >= streamingFillBytes();
        for (int row = top; row < bottom; ++row)
            fillRow(destination.pixels(row) + left, right - left, pixel, streaming);
#if defined(__SSE2__)
        if (streaming)
            _mm_sfence();
#endif
        return;
    }
    // The dither repeats every eight columns, so each row is one byte over and over.
    std::vector<std::uint8_t> bits(std::size_t((left & 7) + (right - left) + 7) / 8 + 1);
    for (int row = top; row < bottom; ++row) {
        std::fill(bits.begin(), bits.end(), ditheredByte(colour, row));
        storeMonoRow<Rop::Copy>(destination.row(row), left, right - left, bits.data());
    }
}

} // namespace win32::raster
