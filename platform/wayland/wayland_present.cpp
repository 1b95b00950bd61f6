// The overlay's window: its back store is the shared memory of the buffer the compositor is
// handed, so that the program draws straight into what is shown, as on X11 with MIT-SHM. A buffer
// the compositor holds is never written: a compositor that keeps the last buffer until it is
// given another gets a stand-in with the same picture, which costs it next to no drawing, and
// gives the store back. The screen the program reads is the snapshot until it has read it whole or the
// window shows, and the window after.
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

const std::uint32_t *row(const ShmBuffer &buffer, int y)
{
    return reinterpret_cast<const std::uint32_t *>(buffer.data() + y * buffer.stride());
}

void copyRect(const ShmBuffer &from, const ShmBuffer &to, const RECT &area)
{
    std::size_t bytes = std::size_t(area.right - area.left) * 4;
    for (int y = area.top; y < area.bottom; ++y) {
        std::ptrdiff_t at = y * from.stride() + std::ptrdiff_t(area.left) * 4;
        std::memcpy(to.data() + at, from.data() + at, bytes);
    }
}

// The smallest rectangle holding every pixel of `area` in which two buffers differ; empty when
// none does.
RECT changedArea(const ShmBuffer &now, const ShmBuffer &before, const RECT &area)
{
    RECT box{area.right, area.bottom, area.left, area.top};
    int width = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t *a = row(now, y) + area.left, *b = row(before, y) + area.left;
        if (std::memcmp(a, b, std::size_t(width) * 4) == 0)
            continue;
        int left = 0, right = width - 1;
        while (a[left] == b[left])
            ++left;
        while (a[right] == b[right])
            --right;
        box.left = std::min<LONG>(box.left, area.left + left);
        box.right = std::max<LONG>(box.right, area.left + right + 1);
        box.top = std::min<LONG>(box.top, y);
        box.bottom = y + 1;
    }
    return box.left < box.right ? box : RECT{};
}

} // namespace

win32::Surface Overlay::createStore(HWND handle, const std::string &title, COLORREF background)
{
    std::lock_guard lock(mutex_);
    for (auto &buffer : buffers_)
        buffer = ShmBuffer::create(connection_.globals().shm, width_, height_, WL_SHM_FORMAT_XRGB8888, 0, [this] {
            // Taken so that a drawing about to wait for a release can't miss it.
            { std::lock_guard released(mutex_); }
            changed_.notify_all();
        });
    if (buffers_[0] && buffers_[1]) {
        store_ = buffers_[0]->data();
    } else {
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
            shown_ = standInShown_ = false;
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
        // Shown whole with the next present, the first frame drawn after, and not before: the
        // store is not held by the compositor while that frame is drawn, and the background is
        // never seen.
        shown_ = mappedOnce_ = true;
        pending_ = RECT{0, 0, width_, height_};
        // The screen shows the window from now on: the snapshot has served.
        snapshot_.reset();
    }
}

void Overlay::prepare()
{
    std::unique_lock lock(mutex_);
    ShmBuffer *store = buffers_[0].get(), *standIn = buffers_[1].get();
    if (!store || !store->busy)
        return;
    // Past all patience the store is drawn on as it is.
    if (!changed_.wait_for(lock, kReleaseTimeout, [&] { return !store->busy || !standIn->busy; }) || !store->busy)
        return;
    if (!win32::isEmpty(behind_))
        copyRect(*store, *standIn, behind_);
    behind_ = RECT{};
    standInShown_ = true;
    // Nothing changes on the screen; but a compositor may take a buffer that comes with no damage
    // for the one it has, and keep that.
    standIn->busy = true;
    wl_surface_attach(surface_, standIn->buffer(), 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, 1, 1);
    wl_surface_commit(surface_);
    connection_.flush();
    changed_.wait_for(lock, kReleaseTimeout, [&] { return !store->busy; });
}

void Overlay::present(const RECT &area)
{
    std::lock_guard lock(mutex_);
    pending_ = win32::unite(pending_, area);
    // The stand-in shown holds the last frame: only what differs from it is new, to show and to
    // carry over. Else all that was drawn is.
    RECT changed = pending_;
    if (standInShown_ && shown_)
        changed = changedArea(*buffers_[0], *buffers_[1], pending_);
    behind_ = win32::unite(behind_, changed);
    if (!shown_ || win32::isEmpty(pending_))
        return;
    pending_ = RECT{};
    if (win32::isEmpty(changed))
        return;
    ShmBuffer &buffer = *buffers_[0];
    buffer.busy = true;
    standInShown_ = false;
    wl_surface_attach(surface_, buffer.buffer(), 0, 0);
    wl_surface_damage_buffer(surface_, changed.left, changed.top, changed.right - changed.left,
                             changed.bottom - changed.top);
    wl_surface_commit(surface_);
    connection_.flush();
}

void Overlay::readScreen(int x, int y, const win32::Surface &into)
{
    std::lock_guard lock(mutex_);
    const auto *screen = snapshot_ ? snapshot_->pixels.data() : reinterpret_cast<const std::uint32_t *>(store_);
    if (!screen)
        return;
    int width = std::min(into.width, width_ - x), height = std::min(into.height, height_ - y);
    for (int row = 0; row < height; ++row)
        std::copy_n(screen + std::size_t(y + row) * std::size_t(width_) + std::size_t(x), width, into.pixels(row));
    // Read whole, the snapshot is the program's now: nothing keeps a second copy of it.
    if (x == 0 && y == 0 && width == width_ && height == height_)
        snapshot_.reset();
}

std::shared_ptr<const Image> Overlay::screenPicture()
{
    std::lock_guard lock(mutex_);
    return snapshot_;
}

} // namespace wayland
