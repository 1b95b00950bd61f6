#include "wayland_shm.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

namespace wayland {

struct ReleaseEvents {
    static void released(void *data, wl_buffer *)
    {
        auto *buffer = static_cast<ShmBuffer *>(data);
        buffer->busy = false;
        if (buffer->released_)
            buffer->released_();
    }
    static constexpr wl_buffer_listener listener{released};
};

std::unique_ptr<ShmBuffer> ShmBuffer::create(wl_shm *shm, int width, int height, std::uint32_t format,
                                             std::ptrdiff_t stride, std::function<void()> released)
{
    if (stride == 0)
        stride = std::ptrdiff_t(width) * 4;
    // At most 1 GiB, which a pool's size (an int) holds.
    if (width <= 0 || height <= 0 || stride < std::ptrdiff_t(width) * 4 || stride > (std::ptrdiff_t{1} << 18) ||
        std::size_t(stride) * std::size_t(height) > (std::size_t{1} << 30))
        return nullptr;
    std::unique_ptr<ShmBuffer> result(new ShmBuffer);
    result->width_ = width;
    result->height_ = height;
    result->stride_ = stride;
    result->bytes_ = std::size_t(stride) * std::size_t(height);
    result->released_ = std::move(released);
    int fd = memfd_create("howdy", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void *memory = MAP_FAILED;
    if (ftruncate(fd, off_t(result->bytes_)) == 0)
        memory = mmap(nullptr, result->bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    result->data_ = static_cast<std::uint8_t *>(memory);
    wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int(result->bytes_));
    result->buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, int(stride), format);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(result->buffer_, &ReleaseEvents::listener, result.get());
    return result;
}

ShmBuffer::~ShmBuffer()
{
    if (buffer_)
        wl_buffer_destroy(buffer_);
    if (data_)
        munmap(data_, bytes_);
}

} // namespace wayland
