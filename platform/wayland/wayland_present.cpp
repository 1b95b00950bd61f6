// The overlay's window: its back store is the shared memory of the buffer the compositor is
// handed next, so that the program draws straight into what is shown, as on X11 with MIT-SHM.
// A buffer the compositor holds is never written: before drawing, the store moves to the other
// buffer, which first takes the part it lacks. The screen the program reads is the snapshot until
// it has read it whole or the window shows, and the window after.
#include "wayland_overlay.h"

#include "../core/rect.h"

#include "xdg-shell-client-protocol.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace wayland {

namespace {

// How long a drawing waits for the compositor to give a buffer back before it draws anyway.
constexpr auto kReleaseTimeout = std::chrono::seconds(1);

void copyRect(const ShmBuffer &from, const ShmBuffer &to, const RECT &area)
{
    std::size_t bytes = std::size_t(area.right - area.left) * 4;
    for (int y = area.top; y < area.bottom; ++y) {
        std::ptrdiff_t at = y * from.stride() + std::ptrdiff_t(area.left) * 4;
        std::memcpy(to.data() + at, from.data() + at, bytes);
    }
}

} // namespace

win32::Surface Overlay::createStore(HWND handle, const std::string &title, COLORREF background)
{
    std::lock_guard lock(mutex_);
    for (auto &buffer : buffers_)
        buffer = ShmBuffer::create(connection_.globals().shm, width_, height_, WL_SHM_FORMAT_XRGB8888, 0, [this] {
            // Taken so that a drawing that has just found both buffers held can't miss it.
            { std::lock_guard released(mutex_); }
            changed_.notify_all();
        });
    if (buffers_[0] && buffers_[1])
        store_ = buffers_[0]->mapAgain(nullptr);
    if (!store_) {
        std::fprintf(stderr, "howdy: can't make the overlay's shared-memory buffers\n");
        buffers_ = {};
        unshown_.resize(std::size_t(width_) * std::size_t(height_));
        store_ = reinterpret_cast<std::uint8_t *>(unshown_.data());
    }
    win32::Surface store{store_, width_, height_, std::ptrdiff_t(width_) * 4, 32};
    std::uint32_t fill = win32::pixelFromColour(background);
    for (int y = 0; y < height_; ++y)
        std::fill_n(store.pixels(y), width_, fill);
    window_ = handle;
    if (toplevel_)
        xdg_toplevel_set_title(toplevel_, title.c_str());
    return store;
}

void Overlay::show(bool visible)
{
    {
        std::unique_lock lock(mutex_);
        if (!buffers_[0])
            return;
        if (!visible) {
            // Unmapped; mapping again starts over with a commit the compositor answers.
            shown_ = false;
            wl_surface_attach(surface_, nullptr, 0, 0);
            wl_surface_commit(surface_);
            connection_.flush();
            return;
        }
        if (mappedOnce_) {
            std::uint64_t before = configures_;
            wl_surface_commit(surface_);
            connection_.flush();
            changed_.wait_for(lock, std::chrono::seconds(2), [&] { return configures_ != before; });
        }
        shown_ = mappedOnce_ = true;
        // The screen now shows the window: the snapshot has served.
        snapshot_ = Image{};
    }
    present(RECT{0, 0, width_, height_});
}

void Overlay::prepare()
{
    std::unique_lock lock(mutex_);
    if (!buffers_[0] || !buffers_[drawing_]->busy)
        return;
    std::size_t other = 1 - drawing_;
    changed_.wait_for(lock, kReleaseTimeout, [&] { return !buffers_[drawing_]->busy || !buffers_[other]->busy; });
    // Given back, or both held past all patience: drawn on as it is.
    if (!buffers_[drawing_]->busy || buffers_[other]->busy)
        return;
    if (!win32::isEmpty(behind_))
        copyRect(*buffers_[drawing_], *buffers_[other], behind_);
    if (!buffers_[other]->mapAgain(store_))
        return;
    behind_ = RECT{};
    drawing_ = other;
}

void Overlay::present(const RECT &area)
{
    std::lock_guard lock(mutex_);
    // Drawn on this buffer alone: the other lacks it.
    behind_ = win32::unite(behind_, area);
    pending_ = win32::unite(pending_, area);
    if (!shown_ || win32::isEmpty(pending_))
        return;
    ShmBuffer &buffer = *buffers_[drawing_];
    buffer.busy = true;
    wl_surface_attach(surface_, buffer.buffer(), 0, 0);
    wl_surface_damage_buffer(surface_, pending_.left, pending_.top, pending_.right - pending_.left,
                             pending_.bottom - pending_.top);
    wl_surface_commit(surface_);
    pending_ = RECT{};
    connection_.flush();
}

void Overlay::readScreen(int x, int y, const win32::Surface &into)
{
    std::lock_guard lock(mutex_);
    const auto *screen = !snapshot_.pixels.empty() ? snapshot_.pixels.data()
                                                   : reinterpret_cast<const std::uint32_t *>(store_);
    if (!screen)
        return;
    int width = std::min(into.width, width_ - x), height = std::min(into.height, height_ - y);
    for (int row = 0; row < height; ++row)
        std::copy_n(screen + std::size_t(y + row) * std::size_t(width_) + std::size_t(x), width, into.pixels(row));
    // Read whole, the snapshot is the program's now: nothing keeps a second copy of it.
    if (x == 0 && y == 0 && width == width_ && height == height_)
        snapshot_ = Image{};
}

} // namespace wayland
