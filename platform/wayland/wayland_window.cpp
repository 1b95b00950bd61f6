// The Wayland backend's windows: the one overlay window's back store, and presenting it through
// two shared-memory buffers. A buffer is written only while the compositor doesn't hold it;
// when both are held the present is skipped, and what it would have shown goes with the next.
#include "wayland_backend.h"

#include "../core/rect.h"
#include "../core/user.h"

#include "xdg-shell-client-protocol.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

namespace wayland {

using win32::isEmpty;
using win32::unite;

struct WaylandBackend::NativeWindow {
    std::vector<std::uint32_t> store;
    std::array<std::unique_ptr<ShmBuffer>, 2> buffers;
    // The part of each buffer that lags behind the back store.
    std::array<RECT, 2> stale{};
    // What was drawn since the last present that reached the compositor, and the buffer it took.
    RECT pending{};
    int lastShown = -1;
    bool shown = false;
    bool mappedOnce = false;
};

void WaylandBackend::createWindow(win32::Window &window, COLORREF background)
{
    auto native = std::make_shared<NativeWindow>();
    // The first window is the overlay and covers the output; the program makes no other, and
    // any other would keep its back store unseen.
    bool overlay = !overlayWindow_;
    int width = overlay ? screenWidth() : std::max<int>(window.rect.right - window.rect.left, 1);
    int height = overlay ? screenHeight() : std::max<int>(window.rect.bottom - window.rect.top, 1);
    native->store.assign(std::size_t(width) * std::size_t(height), win32::pixelFromColour(background));
    window.surface = win32::Surface{reinterpret_cast<std::uint8_t *>(native->store.data()), width, height,
                                    std::ptrdiff_t(width) * 4, 32};
    window.native = native;
    if (!overlay)
        return;
    bool turned = swapsAxes(output_->transform);
    for (auto &buffer : native->buffers) {
        buffer = ShmBuffer::create(shm_, turned ? height : width, turned ? width : height, WL_SHM_FORMAT_XRGB8888);
        if (!buffer)
            std::fprintf(stderr, "howdy: can't make the overlay's shared-memory buffers\n");
    }
    native->stale.fill(RECT{0, 0, width, height});
    overlayWindow_ = native;
    window_ = window.handle;
    if (toplevel_) {
        std::lock_guard lock(surfaceMutex_);
        xdg_toplevel_set_title(toplevel_, window.title.c_str());
    }
}

void WaylandBackend::showWindow(win32::Window &window, bool visible)
{
    auto native = std::static_pointer_cast<NativeWindow>(window.native);
    if (native != overlayWindow_)
        return;
    {
        std::unique_lock lock(surfaceMutex_);
        if (!visible) {
            // Unmapped; mapping again starts over with a commit the compositor answers.
            native->shown = false;
            wl_surface_attach(surface_, nullptr, 0, 0);
            wl_surface_commit(surface_);
            wl_display_flush(display_.get());
            return;
        }
        if (native->mappedOnce) {
            std::uint64_t before = configures_;
            wl_surface_commit(surface_);
            wl_display_flush(display_.get());
            configureSeen_.wait_for(lock, std::chrono::seconds(2), [&] { return configures_ != before; });
        }
        native->shown = native->mappedOnce = true;
        wl_surface_set_buffer_transform(surface_, output_->transform);
    }
    // The screen now shows the window: the snapshot has served.
    {
        std::lock_guard presenting(presentMutex_);
        snapshot_ = Image{};
    }
    present(*native, window.surface, RECT{0, 0, window.surface.width, window.surface.height});
}

void WaylandBackend::presentWindow(win32::Window &window, const RECT &area)
{
    auto native = std::static_pointer_cast<NativeWindow>(window.native);
    if (native == overlayWindow_ && native->shown)
        present(*native, window.surface, area);
}

// The compositor is shown only what changed since the buffer it has: a frame drawn whole but
// mostly the same costs it little, and a frame the same as the last costs it nothing.
void WaylandBackend::present(NativeWindow &native, const win32::Surface &store, const RECT &area)
{
    std::lock_guard presenting(presentMutex_);
    native.pending = unite(native.pending, area);
    std::size_t free = 0;
    while (free < native.buffers.size() && (!native.buffers[free] || native.buffers[free]->busy))
        ++free;
    if (free == native.buffers.size())
        return;
    std::int32_t transform = output_->transform;
    RECT changed = native.pending;
    // The last buffer shown holds the last frame whole; reading it while the compositor does is safe.
    if (native.lastShown >= 0 && transform == WL_OUTPUT_TRANSFORM_NORMAL) {
        const ShmBuffer &last = *native.buffers[std::size_t(native.lastShown)];
        changed = changedArea(store, native.pending, last.data(), last.stride());
    }
    native.pending = RECT{};
    if (isEmpty(changed))
        return;
    for (RECT &stale : native.stale)
        stale = unite(stale, changed);
    ShmBuffer &buffer = *native.buffers[free];
    copyToBuffer(store, native.stale[free], buffer.data(), buffer.stride(), transform);
    native.stale[free] = RECT{};
    native.lastShown = int(free);
    RECT damage = bufferRect(transform, store.width, store.height, changed);
    buffer.busy = true;
    std::lock_guard lock(surfaceMutex_);
    wl_surface_attach(surface_, buffer.buffer(), 0, 0);
    wl_surface_damage_buffer(surface_, damage.left, damage.top, damage.right - damage.left,
                             damage.bottom - damage.top);
    wl_surface_commit(surface_);
    // Never waits: what the socket can't take now goes with the next flush.
    wl_display_flush(display_.get());
}

void WaylandBackend::captureScreen(int x, int y, const win32::Surface &into)
{
    // Before the overlay shows, the screen is the snapshot; after, it is the overlay.
    std::lock_guard presenting(presentMutex_);
    const std::uint32_t *screen = !snapshot_.pixels.empty() ? snapshot_.pixels.data()
                                  : overlayWindow_          ? overlayWindow_->store.data()
                                                            : nullptr;
    if (!screen)
        return;
    int width = std::min(into.width, screenWidth() - x), height = std::min(into.height, screenHeight() - y);
    for (int row = 0; row < height; ++row)
        std::copy_n(screen + std::size_t(y + row) * std::size_t(screenWidth()) + std::size_t(x), width,
                    into.pixels(row));
}

} // namespace wayland
