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
    // Kept open for mapAgain; the pages cost nothing until written.
    result->fd_ = memfd_create("howdy", MFD_CLOEXEC);
    if (result->fd_ < 0 || ftruncate(result->fd_, off_t(result->bytes_)) != 0)
        return nullptr;
    result->data_ = result->mapAgain(nullptr);
    if (!result->data_)
        return nullptr;
    wl_shm_pool *pool = wl_shm_create_pool(shm, result->fd_, int(result->bytes_));
    result->buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, int(stride), format);
    wl_shm_pool_destroy(pool);
    wl_buffer_add_listener(result->buffer_, &ReleaseEvents::listener, result.get());
    return result;
}

std::uint8_t *ShmBuffer::mapAgain(void *address) const
{
    void *memory = mmap(address, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED | (address ? MAP_FIXED : 0), fd_, 0);
    return memory == MAP_FAILED ? nullptr : static_cast<std::uint8_t *>(memory);
}

ShmBuffer::~ShmBuffer()
{
    if (buffer_)
        wl_buffer_destroy(buffer_);
    if (data_)
        munmap(data_, bytes_);
    if (fd_ >= 0)
        close(fd_);
}

} // namespace wayland
