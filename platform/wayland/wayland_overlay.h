// The overlay: the surface that covers one output, a layer surface on the overlay layer (a
// fullscreen toplevel where the compositor has no layer shell), shown 1:1 in the output's pixels
// through a viewport whatever the output's scale; the window it shows; and the screen as the
// program reads it, the snapshot until the window shows and the window after.
//
// Its state is its own, under its one lock: the main thread makes it and shows the window, the
// drawing thread presents frames, and the events thread hears its configures and the buffers'
// releases. What the output was when the overlay was made is kept here and never changes.
#pragma once

#include "wayland_connection.h"
#include "wayland_shm.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

struct wp_viewport;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;

namespace wayland {

class Overlay {
public:
    // wayland_overlay.cpp: making it and its configures.
    // Makes the overlay on the one candidate, or on the one of them the compositor chooses, and
    // takes that output's picture from `snapshots`; on failure returns nothing and sets `error`
    // to one line.
    static std::unique_ptr<Overlay> make(Connection &connection, const std::vector<Output *> &candidates,
                                         std::map<Output *, Image> &snapshots, std::string &error);
    ~Overlay();
    Overlay(const Overlay &) = delete;
    Overlay &operator=(const Overlay &) = delete;

    // The screen in pixels: the output as the user sees it.
    int width() const { return width_; }
    int height() const { return height_; }
    // The output's integer scale, for pictures that are to look sharp on it.
    int scale() const { return scale_; }
    // What the panels leave, learnt when the overlay was made.
    RECT workArea() const { return workArea_; }
    wl_surface *surface() const { return surface_; }

    // From surface units to screen pixels and back.
    POINT toPixels(double x, double y) const;
    int toLogical(int pixels, bool vertical) const;
    // Commits the surface as it is, applying what its children asked of it.
    void commit();

    // wayland_present.cpp: the window it shows, whose back store is the shared memory the
    // compositor reads.
    // Gives the window `handle` its back store, filled with `background`.
    win32::Surface createStore(HWND handle, const std::string &title, COLORREF background);
    HWND window() const { return window_; }
    void show(bool visible);
    // Before drawing on the store: it becomes a buffer the compositor does not hold.
    void prepare();
    // Shows what changed within `area` since the last present.
    void present(const RECT &area);
    // Copies what the screen shows at (x, y) into `into`, clipped to the screen.
    void readScreen(int x, int y, const win32::Surface &into);
    // The snapshot, shared with the program's whole copies of the screen, until the window shows.
    std::shared_ptr<const Image> screenPicture();

private:
    struct Events;

    explicit Overlay(Connection &connection) : connection_(connection) {}
    Output *place(const std::vector<Output *> &candidates, std::string &error);
    void requestActivation();
    void probeWorkArea(wl_output *output);
    // Called with mutex_ held: a configure of `width` x `height` units (0: the output's).
    void configured(std::uint32_t width, std::uint32_t height);

    Connection &connection_;

    // Made once, before the events thread runs.
    wl_surface *surface_ = nullptr;
    wp_viewport *viewport_ = nullptr;
    zwlr_layer_surface_v1 *layerSurface_ = nullptr;
    xdg_surface *xdgSurface_ = nullptr;
    xdg_toplevel *toplevel_ = nullptr;
    int width_ = 0, height_ = 0, scale_ = 1;
    LogicalRect layout_;
    RECT workArea_{};
    // The output the compositor put the surface on, heard while it is chosen.
    Output *entered_ = nullptr;
    // The transparent pixel that maps the overlay while the compositor shows which output it chose.
    std::unique_ptr<ShmBuffer> placeholder_;

    // The surface's size in units, as configured.
    std::atomic<int> logicalWidth_{0}, logicalHeight_{0};
    std::atomic<HWND> window_{nullptr};

    // Under mutex_: every request on the surface, so that one thread's attach, damage and commit
    // are never split by another's commit; and all that follows.
    std::mutex mutex_;
    // Told of each configure and each release of a buffer.
    std::condition_variable changed_;
    std::pair<int, int> toplevelSize_{0, 0};
    bool configuredOnce_ = false;
    std::uint64_t configures_ = 0;
    std::shared_ptr<const Image> snapshot_;
    // The window's back store is the first buffer's memory. While the compositor holds it, the
    // second, a stand-in, is handed over in its place once it has taken what it lacks (`behind`).
    // A compositor that gives a buffer back once it has read it never sees the stand-in.
    std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
    std::uint8_t *store_ = nullptr;
    std::vector<std::uint32_t> unshown_; // the store when no buffer could be made
    RECT behind_{};
    // The stand-in was handed over last, and so holds the frame the compositor shows.
    bool standInShown_ = false;
    // Drawn since the last commit.
    RECT pending_{};
    bool shown_ = false;
    bool mappedOnce_ = false;
};

} // namespace wayland
