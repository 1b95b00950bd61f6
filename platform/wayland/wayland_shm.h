// A wl_shm buffer in memory of its own. The compositor may read it from the commit (or copy
// request) that hands it over until it releases it; only then may the client write it again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct wl_buffer;
struct wl_shm;

namespace wayland {

class ShmBuffer {
public:
    // Nothing when the memory or the buffer can't be made. Rows are 4 bytes a pixel apart unless
    // `stride` says otherwise. `released`, if given, is called on the events thread after each
    // release.
    static std::unique_ptr<ShmBuffer> create(wl_shm *shm, int width, int height, std::uint32_t format,
                                             std::ptrdiff_t stride = 0, std::function<void()> released = {});
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer &) = delete;
    ShmBuffer &operator=(const ShmBuffer &) = delete;

    wl_buffer *buffer() const { return buffer_; }
    std::uint8_t *data() const { return data_; }
    int width() const { return width_; }
    int height() const { return height_; }
    std::ptrdiff_t stride() const { return stride_; }

    // Set when handed to the compositor; its release clears it (on the events thread).
    std::atomic<bool> busy{false};

private:
    friend struct ReleaseEvents;
    ShmBuffer() = default;

    wl_buffer *buffer_ = nullptr;
    std::uint8_t *data_ = nullptr;
    std::size_t bytes_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::ptrdiff_t stride_ = 0;
    std::function<void()> released_;
};

} // namespace wayland
