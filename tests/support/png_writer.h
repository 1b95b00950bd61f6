// Writes PNG files for tests, with control over what a careless or hostile encoder might do:
// filters, split or padded image data, extra chunks, wrong checksums.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
    int width = 4;
    int height = 4;
    int bitDepth = 8;
    int colourType = 3;
    int interlace = 0;
    // Palette entries, RGB; written as one PLTE chunk unless empty.
    std::vector<std::uint8_t> palette;
    // Pixel indices, one per pixel, rows top-down.
    std::vector<std::uint8_t> pixels;
    // The filter type of each row (filtering is applied for real); missing rows use 0.
    std::vector<int> filters;
    // The image data is split into IDAT chunks of at most this size.
    std::size_t idatChunkSize = 1 << 30;
    // Empty stored deflate blocks put in front of the data: a valid stream, much longer.
    int paddingBlocks = 0;
    bool ancillary = false; // gAMA and cHRM before PLTE
    bool badCrc = false;
    bool iend = true;
    // Rows the image data holds, when it should hold fewer than the header promises.
    int storedRows = -1;
};

// The raw scanlines (filter byte + packed indices) the image's pixels make, filtered as asked.
std::vector<std::uint8_t> scanlines(const PngImage &image);

// zlib's stream for `raw`, with `paddingBlocks` empty stored blocks first.
std::vector<std::uint8_t> deflateStream(const std::vector<std::uint8_t> &raw, int paddingBlocks = 0);

std::vector<std::uint8_t> pngChunk(const std::string &type, const std::vector<std::uint8_t> &data,
                                   bool badCrc = false);

std::vector<std::uint8_t> writePng(const PngImage &image);

// A palette of `count` entries where entry i is (i, 255 - i, i * 7).
std::vector<std::uint8_t> testPalette(int count);
