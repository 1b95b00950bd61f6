// The Wayland backend: the show covers one output with a layer surface on the overlay layer (a
// fullscreen toplevel where the compositor has no layer shell), showing a snapshot read before
// anything is mapped. Frames reach the compositor through shared-memory buffers that are never
// written while it holds them, and a thread of its own turns Wayland input into window messages.
//
// Files: wayland_connection (globals, outputs), wayland_capture (the snapshot by screen copy
// protocols), wayland_portal (the snapshot by the desktop portal), wayland_overlay (the overlay
// surface, its output and the work area), wayland_window (back stores and presenting),
// wayland_input (the events thread, keyboard and pointer), wayland_cursor (cursor images),
// wayland_menu (popup menus), wayland_pixels (buffer formats and transforms), wayland_shm.
#pragma once

#include "../desktop/desktop_backend.h"
#include "wayland_owned.h"
#include "wayland_pixels.h"
#include "wayland_shm.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ext_image_copy_capture_manager_v1;
struct ext_output_image_capture_source_manager_v1;
struct wp_cursor_shape_device_v1;
struct wp_cursor_shape_manager_v1;
struct wp_viewport;
struct wp_viewporter;
struct xdg_activation_v1;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zwlr_screencopy_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct wl_cursor_theme;

namespace wayland {

// An output as the compositor describes it.
struct Output {
    wl_output *proxy = nullptr;
    zxdg_output_v1 *xdgOutput = nullptr;
    std::string name;
    int modeWidth = 0, modeHeight = 0; // the current mode, in pixels
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    std::int32_t scale = 1;
    int x = 0, y = 0;                   // position in the layout (wl_output.geometry)
    std::optional<LogicalRect> logical; // from xdg-output

    // The output's pixels as the user sees them: the mode, turned by the transform.
    int viewWidth() const { return swapsAxes(transform) ? modeHeight : modeWidth; }
    int viewHeight() const { return swapsAxes(transform) ? modeWidth : modeHeight; }
    LogicalRect layoutRect() const;
};

class WaylandBackend final : public desktop::DesktopBackend {
public:
    // Connects to $WAYLAND_DISPLAY, reads the screen and sets up the overlay on the output to
    // cover; on failure returns nothing and sets `error` to one line.
    static std::unique_ptr<WaylandBackend> open(std::string &error);
    ~WaylandBackend() override;

    int screenWidth() override { return output_->viewWidth(); }
    int screenHeight() override { return output_->viewHeight(); }
    RECT workArea() override { return workArea_; }
    void captureScreen(int x, int y, const win32::Surface &into) override;
    void createWindow(win32::Window &window, COLORREF background) override;
    void showWindow(win32::Window &window, bool visible) override;
    void presentWindow(win32::Window &window, const RECT &area) override;
    POINT cursorPosition() override;
    void setCursor(const win32::Cursor *cursor) override;
    void showMenu(const win32::Menu &menu, POINT at) override;
    void highlightMenu(int item) override;
    void hideMenu() override;

private:
    struct RegistryEvents;
    struct OutputEvents;
    struct CaptureEvents;
    struct OverlayEvents;
    struct SeatEvents;
    struct NativeWindow;
    struct Menu;

    WaylandBackend() = default;

    // wayland_connection.cpp
    bool connect(std::string &error);
    bool roundtrip();
    // Dispatches events until `done` holds; false when the connection fails or `timeoutMs` passes.
    bool dispatchUntil(const std::function<bool()> &done, int timeoutMs);
    std::vector<Output *> outputsToCover(std::string &error);

    // wayland_capture.cpp: one output's picture, by the first route that works.
    bool takeSnapshots(const std::vector<Output *> &outputs, std::map<Output *, Image> &into, std::string &error);
    std::optional<Image> captureByImageCopy(Output &output);
    std::optional<Image> captureByScreencopy(Output &output);
    bool captureByPortal(const std::vector<Output *> &outputs, std::map<Output *, Image> &into, std::string &error);

    // wayland_overlay.cpp
    bool makeOverlay(const std::vector<Output *> &candidates, std::string &error);
    void requestActivation();
    void probeWorkArea();
    void configured(std::uint32_t width, std::uint32_t height);
    // From surface units to screen pixels and back.
    POINT toPixels(double x, double y) const;
    int toLogical(int pixels, bool vertical) const;

    // wayland_window.cpp
    void present(NativeWindow &native, const win32::Surface &store, const RECT &area);

    // wayland_input.cpp
    void listenToSeat();
    void startEvents();
    void runEvents();
    void seatCapabilities(std::uint32_t capabilities);
    void keyboardKeymap(int fd, std::uint32_t size);
    void keyboardKey(std::uint32_t key, bool pressed);
    void pointerEnter(wl_surface *surface, std::uint32_t serial, double x, double y);
    void pointerMotion(double x, double y);
    void pointerButton(std::uint32_t button, bool pressed);
    void showCursor();

    // wayland_menu.cpp: while a menu is up, it takes the pointer and the keys (true when taken).
    void paintMenu();
    bool menuPointer(wl_surface *focus, double x, double y);
    bool menuButton(std::uint32_t button, bool pressed);
    bool menuKey(xkb_keysym_t symbol, bool pressed);

    // wayland_cursor.cpp: a surface showing the cursor at the output's scale, and its hot spot.
    struct CursorImage {
        OwnedSurface surface;
        std::unique_ptr<ShmBuffer> pixels;
        int hotX = 0, hotY = 0;
    };
    CursorImage *cursorImage(const win32::Cursor &cursor);
    CursorImage *arrowImage();

    // The connection and what the compositor offers; declared first, destroyed last. Proxies
    // live as long as the connection, which is the process's once the backend is installed.
    Owned<wl_display, wl_display_disconnect> display_;
    wl_registry *registry_ = nullptr;
    wl_compositor *compositor_ = nullptr;
    wl_subcompositor *subcompositor_ = nullptr;
    wl_shm *shm_ = nullptr;
    wl_seat *seat_ = nullptr;
    xdg_wm_base *wmBase_ = nullptr;
    zwlr_layer_shell_v1 *layerShell_ = nullptr;
    wp_viewporter *viewporter_ = nullptr;
    zxdg_output_manager_v1 *xdgOutputManager_ = nullptr;
    xdg_activation_v1 *activation_ = nullptr;
    zwlr_screencopy_manager_v1 *screencopy_ = nullptr;
    ext_image_copy_capture_manager_v1 *imageCopy_ = nullptr;
    ext_output_image_capture_source_manager_v1 *outputSources_ = nullptr;
    wp_cursor_shape_manager_v1 *cursorShapes_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;

    // The overlay: its surface, the output it covers and the snapshot of that output.
    wl_surface *surface_ = nullptr;
    wp_viewport *viewport_ = nullptr;
    zwlr_layer_surface_v1 *layerSurface_ = nullptr;
    xdg_surface *xdgSurface_ = nullptr;
    xdg_toplevel *toplevel_ = nullptr;
    Output *output_ = nullptr;
    Output *entered_ = nullptr;
    Image snapshot_;
    RECT workArea_{};
    // Set by configure events (the events thread once it runs); the surface's size in units.
    std::atomic<int> logicalWidth_{0}, logicalHeight_{0};
    std::pair<int, int> toplevelSize_{0, 0};
    bool configuredOnce_ = false;
    // Counts configures, so that mapping again after a hide can wait for the next one.
    std::uint64_t configures_ = 0;
    std::condition_variable configureSeen_;
    // The transparent pixel that maps the overlay while the compositor shows which output it chose.
    std::unique_ptr<ShmBuffer> placeholder_;
    // Every request on the overlay surface and its children is made under this lock, so that
    // one thread's attach, damage and commit are never split by another's commit.
    std::mutex surfaceMutex_;

    // The window shown on the overlay, once created, and what its presents share.
    std::atomic<HWND> window_{nullptr};
    std::shared_ptr<NativeWindow> overlayWindow_;
    std::mutex presentMutex_;

    // Input, read on the events thread.
    wl_pointer *pointer_ = nullptr;
    wl_keyboard *keyboard_ = nullptr;
    Owned<xkb_context, xkb_context_unref> xkbContext_;
    Owned<xkb_keymap, xkb_keymap_unref> keymap_;
    Owned<xkb_state, xkb_state_unref> keyState_;
    wp_cursor_shape_device_v1 *cursorShapeDevice_ = nullptr;
    wl_cursor_theme *cursorTheme_ = nullptr;
    // Guards the pointer's position, focus and cursor, which the main thread reads and sets.
    std::mutex pointerMutex_;
    POINT pointerAt_{};
    wl_surface *pointerFocus_ = nullptr;
    std::uint32_t enterSerial_ = 0;
    WPARAM buttons_ = 0;
    const win32::Cursor *cursor_ = nullptr;
    // The enter serial and cursor (null: the arrow) last asked of the compositor.
    std::optional<std::pair<std::uint32_t, const win32::Cursor *>> shownCursor_;
    std::map<const win32::Cursor *, CursorImage> cursorImages_;
    std::optional<CursorImage> arrow_;

    // The popup menu up now; menuMutex_ is taken before surfaceMutex_.
    std::mutex menuMutex_;
    std::unique_ptr<Menu> menu_;
};

} // namespace wayland
