// The Wayland backend's connection: the globals it binds, the outputs and what they report, and
// waiting for events before the events thread runs.
#include "wayland_backend.h"

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
#include <cstdlib>
#include <cstring>

namespace wayland {

LogicalRect Output::layoutRect() const
{
    if (logical)
        return *logical;
    // Without xdg-output: the mode, turned and divided by the integer scale.
    return LogicalRect{x, y, viewWidth() / std::max(scale, 1), viewHeight() / std::max(scale, 1)};
}

struct WaylandBackend::OutputEvents {
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

    static void logicalPosition(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y)
    {
        auto *output = static_cast<Output *>(data);
        LogicalRect rect = output->logical.value_or(LogicalRect{});
        rect.x = x;
        rect.y = y;
        output->logical = rect;
    }
    static void logicalSize(void *data, zxdg_output_v1 *, std::int32_t width, std::int32_t height)
    {
        auto *output = static_cast<Output *>(data);
        LogicalRect rect = output->logical.value_or(LogicalRect{});
        rect.width = width;
        rect.height = height;
        output->logical = rect;
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

struct WaylandBackend::RegistryEvents {
    static void global(void *data, wl_registry *registry, std::uint32_t name, const char *interface,
                       std::uint32_t version)
    {
        auto *self = static_cast<WaylandBackend *>(data);
        auto bind = [&](const wl_interface &type, std::uint32_t highest) {
            return wl_registry_bind(registry, name, &type, std::min(version, highest));
        };
        std::string_view is(interface);
        if (is == wl_compositor_interface.name && version >= 4)
            self->compositor_ = static_cast<wl_compositor *>(bind(wl_compositor_interface, 4));
        else if (is == wl_subcompositor_interface.name)
            self->subcompositor_ = static_cast<wl_subcompositor *>(bind(wl_subcompositor_interface, 1));
        else if (is == wl_shm_interface.name)
            self->shm_ = static_cast<wl_shm *>(bind(wl_shm_interface, 1));
        else if (is == wl_seat_interface.name && !self->seat_) {
            // Its devices are told once, right away.
            self->seat_ = static_cast<wl_seat *>(bind(wl_seat_interface, 5));
            self->listenToSeat();
        }
        else if (is == xdg_wm_base_interface.name) {
            self->wmBase_ = static_cast<xdg_wm_base *>(bind(xdg_wm_base_interface, 2));
            static constexpr xdg_wm_base_listener pong{
                [](void *, xdg_wm_base *base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
            xdg_wm_base_add_listener(self->wmBase_, &pong, nullptr);
        } else if (is == zwlr_layer_shell_v1_interface.name)
            self->layerShell_ = static_cast<zwlr_layer_shell_v1 *>(bind(zwlr_layer_shell_v1_interface, 4));
        else if (is == wp_viewporter_interface.name)
            self->viewporter_ = static_cast<wp_viewporter *>(bind(wp_viewporter_interface, 1));
        else if (is == zxdg_output_manager_v1_interface.name && version >= 2)
            self->xdgOutputManager_ =
                static_cast<zxdg_output_manager_v1 *>(bind(zxdg_output_manager_v1_interface, 3));
        else if (is == xdg_activation_v1_interface.name)
            self->activation_ = static_cast<xdg_activation_v1 *>(bind(xdg_activation_v1_interface, 1));
        else if (is == zwlr_screencopy_manager_v1_interface.name && version >= 3)
            self->screencopy_ =
                static_cast<zwlr_screencopy_manager_v1 *>(bind(zwlr_screencopy_manager_v1_interface, 3));
        else if (is == ext_image_copy_capture_manager_v1_interface.name)
            self->imageCopy_ = static_cast<ext_image_copy_capture_manager_v1 *>(
                bind(ext_image_copy_capture_manager_v1_interface, 1));
        else if (is == ext_output_image_capture_source_manager_v1_interface.name)
            self->outputSources_ = static_cast<ext_output_image_capture_source_manager_v1 *>(
                bind(ext_output_image_capture_source_manager_v1_interface, 1));
        else if (is == wp_cursor_shape_manager_v1_interface.name)
            self->cursorShapes_ =
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

bool WaylandBackend::connect(std::string &error)
{
    display_.reset(wl_display_connect(nullptr));
    if (!display_) {
        const char *name = std::getenv("WAYLAND_DISPLAY");
        error = std::string("can't connect to the Wayland display '") + (name ? name : "") + "'";
        return false;
    }
    registry_ = wl_display_get_registry(display_.get());
    wl_registry_add_listener(registry_, &RegistryEvents::listener, this);
    if (!roundtrip()) {
        error = "the Wayland compositor hung up";
        return false;
    }
    const char *missing = !compositor_ ? "wl_compositor 4"
                          : !shm_      ? "wl_shm"
                          : !viewporter_ ? "wp_viewporter"
                          : !subcompositor_ ? "wl_subcompositor"
                          : (!layerShell_ && !wmBase_) ? "a shell (wlr-layer-shell or xdg-shell)"
                          : outputs_.empty() ? "an output"
                                             : nullptr;
    if (missing) {
        error = std::string("the Wayland compositor offers no ") + missing;
        return false;
    }
    if (xdgOutputManager_)
        for (auto &output : outputs_) {
            output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputManager_, output->proxy);
            zxdg_output_v1_add_listener(output->xdgOutput, &OutputEvents::xdgListener, output.get());
        }
    // The outputs' descriptions, then what depends on them.
    if (!roundtrip() || !roundtrip()) {
        error = "the Wayland compositor hung up";
        return false;
    }
    return true;
}

bool WaylandBackend::roundtrip()
{
    return wl_display_roundtrip(display_.get()) >= 0;
}

bool WaylandBackend::dispatchUntil(const std::function<bool()> &done, int timeoutMs)
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
std::vector<Output *> WaylandBackend::outputsToCover(std::string &error)
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

} // namespace wayland
