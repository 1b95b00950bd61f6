// Encoding what a recording saw: PNG frames and an animated WebP.
#pragma once

#include "../../platform/core/surface.h"

#include <cstdint>
#include <memory>
#include <vector>

// WebP stores each side in 14 bits.
constexpr int kWebPMaxSide = 16383;

// A colour surface as the bytes of an 8-bit RGB PNG; empty on failure.
std::vector<std::uint8_t> encodePng(const win32::Surface &frame);

// An animated WebP built one frame at a time; each frame shows until the next one's time.
class WebPAnimation {
public:
    WebPAnimation(int width, int height);
    ~WebPAnimation();
    WebPAnimation(const WebPAnimation &) = delete;
    WebPAnimation &operator=(const WebPAnimation &) = delete;

    bool add(const win32::Surface &frame, std::int64_t tMs);
    // Closes the animation at `endMs` and returns the file's bytes, empty on failure.
    std::vector<std::uint8_t> finish(std::int64_t endMs);

private:
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    std::int64_t last_ = -1;
};
