#include "wayland_connection.h"

#include "cursor-shape-v1-client-protocol.h"
#include "ext-image-capture-source-v1-client-protocol.h"
#include "ext-image-copy-capture-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <thread>

namespace wayland {

LogicalRect Output::layoutRect() const
{
    if (logical)
        return *logical;
    // Without xdg-output: the mode, turned and divided by the integer scale.
    return LogicalRect{x, y, viewWidth() / std::max(scale, 1), viewHeight() / std::max(scale, 1)};
}

struct Connection::OutputEvents {
    static void geometry(void *data, wl_output *, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                         std::int32_t, const char *, const char *, std::int32_t transform)
    {
        auto *output = static_cast<Output *>(data);
        output->x = x;
        output->y = y;
        output->transform = transform;
    }
    static void mode(void *data, wl_output *, std::uint32_t flags, std::int32_t width, std::int32_t height,
                     std::int32_t)
    {
        auto *output = static_cast<Output *>(data);
        if (flags & WL_OUTPUT_MODE_CURRENT) {
            output->modeWidth = width;
            output->modeHeight = height;
        }
    }
    static void done(void *, wl_output *) {}
    static void scale(void *data, wl_output *, std::int32_t factor)
    {
        static_cast<Output *>(data)->scale = factor;
    }
    static void name(void *data, wl_output *, const char *name)
    {
        static_cast<Output *>(data)->name = name;
    }
    static void description(void *, wl_output *, const char *) {}

    static LogicalRect &logical(void *data)
    {
        auto *output = static_cast<Output *>(data);
        if (!output->logical)
            output->logical = LogicalRect{};
        return *output->logical;
    }
    static void logicalPosition(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y)
    {
        logical(data).x = x;
        logical(data).y = y;
    }
    static void logicalSize(void *data, zxdg_output_v1 *, std::int32_t width, std::int32_t height)
    {
        logical(data).width = width;
        logical(data).height = height;
    }
    static void xdgDone(void *, zxdg_output_v1 *) {}
    static void xdgName(void *data, zxdg_output_v1 *, const char *name)
    {
        // wl_output's own name (version 4) comes first where there is one; they agree.
        auto *output = static_cast<Output *>(data);
        if (output->name.empty())
            output->name = name;
    }
    static void xdgDescription(void *, zxdg_output_v1 *, const char *) {}

    static constexpr wl_output_listener listener{geometry, mode, done, scale, name, description};
    static constexpr zxdg_output_v1_listener xdgListener{logicalPosition, logicalSize, xdgDone, xdgName,
                                                         xdgDescription};
};

struct Connection::RegistryEvents {
    static void global(void *data, wl_registry *registry, std::uint32_t name, const char *interface,
                       std::uint32_t version)
    {
        auto *self = static_cast<Connection *>(data);
        Globals &g = self->globals_;
        auto bind = [&](const wl_interface &type, std::uint32_t highest) {
            return wl_registry_bind(registry, name, &type, std::min(version, highest));
        };
        std::string_view is(interface);
        if (is == wl_compositor_interface.name && version >= 4)
            g.compositor = static_cast<wl_compositor *>(bind(wl_compositor_interface, 4));
        else if (is == wl_subcompositor_interface.name)
            g.subcompositor = static_cast<wl_subcompositor *>(bind(wl_subcompositor_interface, 1));
        else if (is == wl_shm_interface.name)
            g.shm = static_cast<wl_shm *>(bind(wl_shm_interface, 1));
        else if (is == wl_seat_interface.name && !g.seatName) {
            g.seatName = name;
            g.seatVersion = version;
        }
        else if (is == xdg_wm_base_interface.name) {
            g.wmBase = static_cast<xdg_wm_base *>(bind(xdg_wm_base_interface, 2));
            static constexpr xdg_wm_base_listener pong{
                [](void *, xdg_wm_base *base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
            xdg_wm_base_add_listener(g.wmBase, &pong, nullptr);
        } else if (is == zwlr_layer_shell_v1_interface.name)
            g.layerShell = static_cast<zwlr_layer_shell_v1 *>(bind(zwlr_layer_shell_v1_interface, 4));
        else if (is == wp_viewporter_interface.name)
            g.viewporter = static_cast<wp_viewporter *>(bind(wp_viewporter_interface, 1));
        else if (is == zxdg_output_manager_v1_interface.name && version >= 2)
            g.xdgOutputManager =
                static_cast<zxdg_output_manager_v1 *>(bind(zxdg_output_manager_v1_interface, 3));
        else if (is == xdg_activation_v1_interface.name)
            g.activation = static_cast<xdg_activation_v1 *>(bind(xdg_activation_v1_interface, 1));
        else if (is == zwlr_screencopy_manager_v1_interface.name && version >= 3)
            g.capture.screencopy =
                static_cast<zwlr_screencopy_manager_v1 *>(bind(zwlr_screencopy_manager_v1_interface, 3));
        else if (is == ext_image_copy_capture_manager_v1_interface.name)
            g.capture.imageCopy = static_cast<ext_image_copy_capture_manager_v1 *>(
                bind(ext_image_copy_capture_manager_v1_interface, 1));
        else if (is == ext_output_image_capture_source_manager_v1_interface.name)
            g.capture.outputSources = static_cast<ext_output_image_capture_source_manager_v1 *>(
                bind(ext_output_image_capture_source_manager_v1_interface, 1));
        else if (is == wp_cursor_shape_manager_v1_interface.name)
            g.cursorShapes =
                static_cast<wp_cursor_shape_manager_v1 *>(bind(wp_cursor_shape_manager_v1_interface, 1));
        else if (is == wl_output_interface.name) {
            auto output = std::make_unique<Output>();
            output->proxy = static_cast<wl_output *>(bind(wl_output_interface, 4));
            wl_output_add_listener(output->proxy, &OutputEvents::listener, output.get());
            self->outputs_.push_back(std::move(output));
        }
    }
    // Outputs that leave after the start are not followed: the overlay's own events tell.
    static void globalRemove(void *, wl_registry *, std::uint32_t) {}

    static constexpr wl_registry_listener listener{global, globalRemove};
};

std::unique_ptr<Connection> Connection::open(std::string &error)
{
    std::unique_ptr<Connection> connection(new Connection);
    connection->display_.reset(wl_display_connect(nullptr));
    if (!connection->display_) {
        const char *name = std::getenv("WAYLAND_DISPLAY");
        error = std::string("can't connect to the Wayland display '") + (name ? name : "") + "'";
        return nullptr;
    }
    connection->registry_ = wl_display_get_registry(connection->display());
    wl_registry_add_listener(connection->registry_, &RegistryEvents::listener, connection.get());
    if (!connection->roundtrip()) {
        error = "the Wayland compositor hung up";
        return nullptr;
    }
    const Globals &g = connection->globals_;
    const char *missing = !g.compositor                    ? "wl_compositor 4"
                          : !g.shm                         ? "wl_shm"
                          : !g.viewporter                  ? "wp_viewporter"
                          : !g.subcompositor               ? "wl_subcompositor"
                          : (!g.layerShell && !g.wmBase)   ? "a shell (wlr-layer-shell or xdg-shell)"
                          : connection->outputs_.empty()   ? "an output"
                                                           : nullptr;
    if (missing) {
        error = std::string("the Wayland compositor offers no ") + missing;
        return nullptr;
    }
    if (g.xdgOutputManager)
        for (auto &output : connection->outputs_) {
            output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(g.xdgOutputManager, output->proxy);
            zxdg_output_v1_add_listener(output->xdgOutput, &OutputEvents::xdgListener, output.get());
        }
    // The outputs' descriptions, then what depends on them.
    if (!connection->roundtrip() || !connection->roundtrip()) {
        error = "the Wayland compositor hung up";
        return nullptr;
    }
    return connection;
}

// Only a backend that failed to open is destroyed. The client side of every object goes with
// it; dropping the connection then unmaps whatever the compositor showed.
Connection::~Connection()
{
    for (auto &output : outputs_) {
        destroyProxy(output->xdgOutput);
        destroyProxy(output->proxy);
    }
    const Globals &g = globals_;
    for (void *proxy : std::initializer_list<void *>{
             g.compositor, g.subcompositor, g.shm, g.viewporter, g.xdgOutputManager, g.layerShell, g.wmBase,
             g.activation, g.cursorShapes, g.capture.screencopy, g.capture.imageCopy, g.capture.outputSources,
             registry_})
        destroyProxy(proxy);
}

bool Connection::roundtrip()
{
    return wl_display_roundtrip(display_.get()) >= 0;
}

bool Connection::dispatchUntil(const std::function<bool()> &done, int timeoutMs)
{
    using namespace std::chrono;
    wl_display *display = display_.get();
    auto until = steady_clock::now() + milliseconds(timeoutMs);
    while (!done()) {
        while (wl_display_prepare_read(display) != 0)
            if (wl_display_dispatch_pending(display) < 0)
                return false;
        if (done()) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        auto left = duration_cast<milliseconds>(until - steady_clock::now()).count();
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        if (left <= 0 || poll(&fd, 1, int(left)) <= 0) {
            wl_display_cancel_read(display);
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            return false;
    }
    return true;
}

// The output named by HOWDY_OUTPUT, else every output: the compositor chooses among them.
std::vector<Output *> Connection::outputsToCover(std::string &error) const
{
    std::vector<Output *> outputs;
    const char *wanted = std::getenv("HOWDY_OUTPUT");
    for (auto &output : outputs_) {
        if (output->modeWidth <= 0 || output->modeHeight <= 0)
            continue;
        if (!wanted || !*wanted || output->name == wanted)
            outputs.push_back(output.get());
    }
    if (outputs.empty()) {
        std::string names;
        for (auto &output : outputs_)
            names += (names.empty() ? "" : ", ") + output->name;
        error = wanted && *wanted ? std::string("HOWDY_OUTPUT names no output '") + wanted + "' (outputs: " + names + ")"
                                  : "the Wayland compositor has no output with a mode";
    }
    return outputs;
}

void Connection::startEvents()
{
    std::thread([display = display()] {
        while (wl_display_dispatch(display) >= 0) {
        }
        int code = wl_display_get_error(display);
        const wl_interface *interface = nullptr;
        std::uint32_t object = 0;
        if (code == EPROTO) {
            std::uint32_t error = wl_display_get_protocol_error(display, &interface, &object);
            std::fprintf(stderr, "howdy: the Wayland compositor refused a request (%s error %u)\n",
                         interface ? interface->name : "unknown", error);
        } else {
            std::fprintf(stderr, "howdy: lost the Wayland compositor (%s)\n", std::strerror(code ? code : EPIPE));
        }
        std::fflush(nullptr);
        std::_Exit(1);
    }).detach();
}

} // namespace wayland
