#include "png_writer.h"

#include <zlib.h>

#include <cstdlib>

namespace {

void put32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

std::uint8_t paeth(int a, int b, int c)
{
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

} // namespace

std::vector<std::uint8_t> scanlines(const PngImage &image)
{
    std::size_t rowBytes = (std::size_t(image.width) * std::size_t(image.bitDepth) + 7) / 8;
    std::vector<std::uint8_t> raw, previous(rowBytes, 0);
    int rows = image.storedRows < 0 ? image.height : image.storedRows;
    for (int y = 0; y < rows; ++y) {
        std::vector<std::uint8_t> row(rowBytes, 0);
        for (int x = 0; x < image.width; ++x) {
            std::size_t i = std::size_t(y) * std::size_t(image.width) + std::size_t(x);
            std::uint8_t index = i < image.pixels.size() ? image.pixels[i] : 0;
            int bit = x * image.bitDepth;
            if (image.bitDepth > 8) // 16-bit samples, big-endian
                row[std::size_t(bit / 8) + 1] = index;
            else
                row[std::size_t(bit / 8)] |= std::uint8_t(index << (8 - image.bitDepth - bit % 8));
        }
        int filter = std::size_t(y) < image.filters.size() ? image.filters[std::size_t(y)] : 0;
        raw.push_back(std::uint8_t(filter));
        for (std::size_t i = 0; i < rowBytes; ++i) {
            int left = i ? row[i - 1] : 0, up = previous[i], upLeft = i ? previous[i - 1] : 0;
            int predictor = filter == 1   ? left
                            : filter == 2 ? up
                            : filter == 3 ? (left + up) / 2
                            : filter == 4 ? paeth(left, up, upLeft)
                                          : 0;
            raw.push_back(std::uint8_t(row[i] - predictor));
        }
        previous = row;
    }
    return raw;
}

std::vector<std::uint8_t> deflateStream(const std::vector<std::uint8_t> &raw, int paddingBlocks)
{
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(size);
    compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9);
    packed.resize(size);
    if (paddingBlocks == 0)
        return packed;
    // An empty stored block (not final) is 5 bytes: header bits padded to a byte, LEN, NLEN; ours go
    // after the zlib header, where zlib's first block starts on a byte boundary.
    std::vector<std::uint8_t> out(packed.begin(), packed.begin() + 2);
    for (int i = 0; i < paddingBlocks; ++i)
        out.insert(out.end(), {0x00, 0x00, 0x00, 0xFF, 0xFF});
    out.insert(out.end(), packed.begin() + 2, packed.end());
    return out;
}

std::vector<std::uint8_t> pngChunk(const std::string &type, const std::vector<std::uint8_t> &data, bool badCrc)
{
    std::vector<std::uint8_t> out;
    out.reserve(12 + data.size());
    put32(out, std::uint32_t(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(type.data()), 4);
    crc = crc32(crc, data.data(), uInt(data.size()));
    put32(out, std::uint32_t(badCrc ? ~crc : crc));
    return out;
}

std::vector<std::uint8_t> writePng(const PngImage &image)
{
    std::vector<std::uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
    auto append = [&](const std::vector<std::uint8_t> &chunk) { file.insert(file.end(), chunk.begin(), chunk.end()); };
    std::vector<std::uint8_t> header;
    put32(header, std::uint32_t(image.width));
    put32(header, std::uint32_t(image.height));
    header.insert(header.end(), {std::uint8_t(image.bitDepth), std::uint8_t(image.colourType), 0, 0,
                                 std::uint8_t(image.interlace)});
    append(pngChunk("IHDR", header, image.badCrc));
    if (image.ancillary) {
        append(pngChunk("gAMA", {0, 0, 0xB1, 0x8F}));
        append(pngChunk("cHRM", std::vector<std::uint8_t>(32, 1)));
    }
    if (!image.palette.empty())
        append(pngChunk("PLTE", image.palette, image.badCrc));
    auto stream = deflateStream(scanlines(image), image.paddingBlocks);
    for (std::size_t at = 0; at < stream.size(); at += image.idatChunkSize) {
        std::size_t end = std::min(stream.size(), at + image.idatChunkSize);
        append(pngChunk("IDAT", std::vector<std::uint8_t>(stream.begin() + std::ptrdiff_t(at),
                                                          stream.begin() + std::ptrdiff_t(end)),
                        image.badCrc));
    }
    if (image.iend)
        append(pngChunk("IEND", {}));
    return file;
}

std::vector<std::uint8_t> testPalette(int count)
{
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < count; ++i)
        palette.insert(palette.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
    return palette;
}
