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
    std::vector<std::uint8_t> palette; // RGB, one PLTE chunk unless empty
    std::vector<std::uint8_t> pixels;  // indices, rows top-down
    std::vector<int> filters;          // each row's filter, applied for real; 0 past the end
    std::size_t idatChunkSize = 1 << 30;
    int paddingBlocks = 0; // empty stored deflate blocks first: a valid stream, much longer
    bool ancillary = false; // gAMA and cHRM before PLTE
    bool badCrc = false;
    bool iend = true;
    // Rows the image data holds, when it should hold fewer than the header promises.
    int storedRows = -1;
};

// The raw scanlines (filter byte + packed indices) the image's pixels make, filtered as asked.
std::vector<std::uint8_t> scanlines(const PngImage &image);
std::vector<std::uint8_t> deflateStream(const std::vector<std::uint8_t> &raw, int paddingBlocks = 0);
std::vector<std::uint8_t> pngChunk(const std::string &type, const std::vector<std::uint8_t> &data,
                                   bool badCrc = false);

std::vector<std::uint8_t> writePng(const PngImage &image);
// A palette of `count` entries where entry i is (i, 255 - i, i * 7).
std::vector<std::uint8_t> testPalette(int count);
