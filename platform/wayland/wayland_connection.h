// The connection to the compositor: the globals it offers, the outputs it describes, waiting for
// events while the backend starts, and the events thread after. Everything here is set up on the
// main thread; once the events thread runs, the globals are only read and the outputs are that
// thread's alone (the overlay keeps what it needs of its output).
#pragma once

#include "wayland_owned.h"
#include "wayland_pixels.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ext_image_copy_capture_manager_v1;
struct ext_output_image_capture_source_manager_v1;
struct wp_cursor_shape_manager_v1;
struct wp_viewporter;
struct xdg_activation_v1;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

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

// What the compositor offers; null where it offers nothing. The seat is only named here: its
// part binds it, so that its listener is there before its first event.
struct Globals {
    wl_compositor *compositor = nullptr;
    wl_subcompositor *subcompositor = nullptr;
    wl_shm *shm = nullptr;
    wp_viewporter *viewporter = nullptr;
    zxdg_output_manager_v1 *xdgOutputManager = nullptr;
    std::uint32_t seatName = 0, seatVersion = 0;
    // The overlay's shell: the layer shell where there is one, else a toplevel, activated.
    zwlr_layer_shell_v1 *layerShell = nullptr;
    xdg_wm_base *wmBase = nullptr;
    xdg_activation_v1 *activation = nullptr;
    wp_cursor_shape_manager_v1 *cursorShapes = nullptr;
    // The routes to the snapshot that a protocol serves.
    struct Capture {
        zwlr_screencopy_manager_v1 *screencopy = nullptr;
        ext_image_copy_capture_manager_v1 *imageCopy = nullptr;
        ext_output_image_capture_source_manager_v1 *outputSources = nullptr;
    } capture;
};

class Connection {
public:
    // Connects to $WAYLAND_DISPLAY and learns the globals and outputs; on failure returns nothing
    // and sets `error` to one line.
    static std::unique_ptr<Connection> open(std::string &error);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    wl_display *display() const { return display_.get(); }
    wl_registry *registry() const { return registry_; }
    const Globals &globals() const { return globals_; }
    const std::vector<std::unique_ptr<Output>> &outputs() const { return outputs_; }

    // The output named by HOWDY_OUTPUT, else every output with a mode; none sets `error`.
    std::vector<Output *> outputsToCover(std::string &error) const;

    // Before the events thread runs: dispatches events until `done` holds; false when the
    // connection fails or `timeoutMs` passes.
    bool dispatchUntil(const std::function<bool()> &done, int timeoutMs);

    // Sends what was asked so far. Never waits: what the socket can't take goes with the next.
    void flush() { wl_display_flush(display_.get()); }

    // Dispatches events on a thread of its own from now on. The connection's end ends the
    // program, with one line, as a failure: without the compositor there is no screen.
    void startEvents();

private:
    struct RegistryEvents;
    struct OutputEvents;

    Connection() = default;
    bool roundtrip();

    // Declared first, destroyed last.
    Owned<wl_display, wl_display_disconnect> display_;
    wl_registry *registry_ = nullptr;
    Globals globals_;
    std::vector<std::unique_ptr<Output>> outputs_;
};

} // namespace wayland
