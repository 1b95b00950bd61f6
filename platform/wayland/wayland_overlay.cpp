// The overlay made: a layer surface on the overlay layer, anchored to every edge above panels and
// taking the keyboard, or a fullscreen toplevel without a layer shell. The compositor chooses the
// output unless HOWDY_OUTPUT named one.
#include "wayland_overlay.h"

#include "../core/user.h"

#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace wayland {

namespace {

constexpr int kConfigureTimeoutMs = 5000;
constexpr int kEnterTimeoutMs = 2000;

// The desktop entry's name, org.example.howdy.desktop, by which the desktop finds the icon.
constexpr const char *kAppId = "org.example.howdy";

constexpr std::uint32_t kAllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

// The overlay's end at the compositor's word is the window's: the show ends as by Esc.
void endShow(HWND window)
{
    if (window)
        win32::postMessage(window, WM_DESTROY, 0, 0);
}

} // namespace

struct Overlay::Events {
    static Overlay &self(void *data) { return *static_cast<Overlay *>(data); }

    static void enter(void *data, wl_surface *, wl_output *output)
    {
        for (auto &known : self(data).connection_.outputs())
            if (known->proxy == output)
                self(data).entered_ = known.get();
    }
    static void leave(void *, wl_surface *, wl_output *) {}
    static constexpr wl_surface_listener surface{enter, leave};

    static void layerConfigure(void *data, zwlr_layer_surface_v1 *layer, std::uint32_t serial, std::uint32_t width,
                               std::uint32_t height)
    {
        std::lock_guard lock(self(data).mutex_);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        self(data).configured(width, height);
    }
    static void layerClosed(void *data, zwlr_layer_surface_v1 *)
    {
        endShow(self(data).window_);
    }
    static constexpr zwlr_layer_surface_v1_listener layer{layerConfigure, layerClosed};

    // A toplevel's size comes first, then the surface's configure that the client answers.
    static void toplevelConfigure(void *data, xdg_toplevel *, std::int32_t width, std::int32_t height, wl_array *)
    {
        std::lock_guard lock(self(data).mutex_);
        self(data).toplevelSize_ = {std::max(width, 0), std::max(height, 0)};
    }
    static void toplevelClose(void *data, xdg_toplevel *)
    {
        endShow(self(data).window_);
    }
    static void toplevelBounds(void *, xdg_toplevel *, std::int32_t, std::int32_t) {}
    static void toplevelAbilities(void *, xdg_toplevel *, wl_array *) {}
    static constexpr xdg_toplevel_listener toplevel{toplevelConfigure, toplevelClose, toplevelBounds,
                                                    toplevelAbilities};

    static void surfaceConfigure(void *data, xdg_surface *surface, std::uint32_t serial)
    {
        Overlay &overlay = self(data);
        std::lock_guard lock(overlay.mutex_);
        xdg_surface_ack_configure(surface, serial);
        overlay.configured(std::uint32_t(overlay.toplevelSize_.first), std::uint32_t(overlay.toplevelSize_.second));
    }
    static constexpr xdg_surface_listener xdgSurface{surfaceConfigure};

    static void activationToken(void *data, xdg_activation_token_v1 *token, const char *name)
    {
        xdg_activation_v1_activate(self(data).connection_.globals().activation, name, self(data).surface_);
        xdg_activation_token_v1_destroy(token);
    }
    static constexpr xdg_activation_token_v1_listener activation{activationToken};
};

// A size of 0 leaves the choice to the client: the output's, once it is known.
void Overlay::configured(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0) {
        width = std::uint32_t(layout_.width);
        height = std::uint32_t(layout_.height);
    }
    if (width > 0 && height > 0) {
        logicalWidth_ = int(width);
        logicalHeight_ = int(height);
        wp_viewport_set_destination(viewport_, int(width), int(height));
    }
    configuredOnce_ = true;
    ++configures_;
    changed_.notify_all();
}

std::unique_ptr<Overlay> Overlay::make(Connection &connection, const std::vector<Output *> &candidates,
                                       std::map<Output *, Image> &snapshots, std::string &error)
{
    std::unique_ptr<Overlay> overlay(new Overlay(connection));
    Output *output = overlay->place(candidates, error);
    if (!output)
        return nullptr;
    Image &snapshot = snapshots[output];
    if (snapshot.width != overlay->width_ || snapshot.height != overlay->height_) {
        error = "the snapshot of the output is " + std::to_string(snapshot.width) + "x" +
                std::to_string(snapshot.height) + " pixels, not the output's " + std::to_string(overlay->width_) +
                "x" + std::to_string(overlay->height_);
        return nullptr;
    }
    overlay->snapshot_ = std::make_shared<const Image>(std::move(snapshot));
    overlay->probeWorkArea(output->proxy);
    return overlay;
}

// Only an overlay whose backend failed to open is destroyed.
Overlay::~Overlay()
{
    for (void *proxy : std::initializer_list<void *>{layerSurface_, toplevel_, xdgSurface_, viewport_, surface_})
        destroyProxy(proxy);
}

// Puts the surface on one of the candidates and waits for its first configure; returns the
// output it covers.
Output *Overlay::place(const std::vector<Output *> &candidates, std::string &error)
{
    const Globals &globals = connection_.globals();
    surface_ = wl_compositor_create_surface(globals.compositor);
    wl_surface_add_listener(surface_, &Events::surface, this);
    viewport_ = wp_viewporter_get_viewport(globals.viewporter, surface_);
    // With one candidate the output is known; among several the compositor picks the one the
    // user is on.
    Output *target = candidates.size() == 1 ? candidates.front() : nullptr;
    if (globals.layerShell) {
        layerSurface_ = zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, surface_,
                                                              target ? target->proxy : nullptr,
                                                              ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "howdy");
        zwlr_layer_surface_v1_add_listener(layerSurface_, &Events::layer, this);
        zwlr_layer_surface_v1_set_anchor(layerSurface_, kAllEdges);
        zwlr_layer_surface_v1_set_exclusive_zone(layerSurface_, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(layerSurface_,
                                                         ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
        xdgSurface_ = xdg_wm_base_get_xdg_surface(globals.wmBase, surface_);
        xdg_surface_add_listener(xdgSurface_, &Events::xdgSurface, this);
        toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
        xdg_toplevel_add_listener(toplevel_, &Events::toplevel, this);
        xdg_toplevel_set_app_id(toplevel_, kAppId);
        xdg_toplevel_set_fullscreen(toplevel_, target ? target->proxy : nullptr);
    }
    wl_surface_commit(surface_);
    // The events thread does not run yet: configures are heard on this one.
    if (!connection_.dispatchUntil([&] { return configuredOnce_; }, kConfigureTimeoutMs)) {
        error = "the Wayland compositor did not configure the overlay";
        return nullptr;
    }
    if (toplevel_ && globals.activation)
        requestActivation();
    if (!target) {
        // The output shows only once the surface is mapped: map one transparent pixel, stretched
        // over the surface, which leaves the screen as it was.
        placeholder_ = ShmBuffer::create(globals.shm, 1, 1, WL_SHM_FORMAT_ARGB8888);
        if (!placeholder_) {
            error = "can't make a shared-memory buffer";
            return nullptr;
        }
        std::fill_n(placeholder_->data(), 4, 0);
        placeholder_->busy = true;
        wl_surface_attach(surface_, placeholder_->buffer(), 0, 0);
        wl_surface_damage_buffer(surface_, 0, 0, 1, 1);
        wl_surface_commit(surface_);
        connection_.dispatchUntil([&] { return entered_ != nullptr; }, kEnterTimeoutMs);
        auto chosen = std::find(candidates.begin(), candidates.end(), entered_);
        target = chosen != candidates.end() ? *chosen : candidates.front();
    }
    width_ = target->viewWidth();
    height_ = target->viewHeight();
    scale_ = std::clamp(target->scale, 1, 4);
    layout_ = target->layoutRect();
    std::lock_guard lock(mutex_);
    if (logicalWidth_ == 0 || logicalHeight_ == 0)
        configured(0, 0);
    return target;
}

// A fullscreen window on a desktop that prevents focus stealing needs the desktop's consent to
// come to the front: the token the launcher handed over, or one asked for now.
void Overlay::requestActivation()
{
    xdg_activation_v1 *activation = connection_.globals().activation;
    const char *given = std::getenv("XDG_ACTIVATION_TOKEN");
    if (given && *given) {
        xdg_activation_v1_activate(activation, given, surface_);
        unsetenv("XDG_ACTIVATION_TOKEN");
        return;
    }
    xdg_activation_token_v1 *token = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(token, &Events::activation, this);
    xdg_activation_token_v1_set_app_id(token, kAppId);
    xdg_activation_token_v1_set_surface(token, surface_);
    xdg_activation_token_v1_commit(token);
}

// A layer surface that keeps clear of panels and is never mapped is configured to the size they
// leave. Where they stand is not told: the space they take is counted at the bottom and right,
// where the taskbar of the program's own world stands.
void Overlay::probeWorkArea(wl_output *output)
{
    workArea_ = RECT{0, 0, width_, height_};
    const Globals &globals = connection_.globals();
    if (!globals.layerShell)
        return;
    struct Probe {
        std::uint32_t width = 0, height = 0;
        bool answered = false;
    } probe;
    static constexpr zwlr_layer_surface_v1_listener listener{
        [](void *data, zwlr_layer_surface_v1 *, std::uint32_t, std::uint32_t width, std::uint32_t height) {
            auto &probe = *static_cast<Probe *>(data);
            probe = Probe{width, height, true};
        },
        [](void *data, zwlr_layer_surface_v1 *) { static_cast<Probe *>(data)->answered = true; }};
    wl_surface *surface = wl_compositor_create_surface(globals.compositor);
    auto *layer = zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, surface, output,
                                                        ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, "howdy-work-area");
    zwlr_layer_surface_v1_add_listener(layer, &listener, &probe);
    zwlr_layer_surface_v1_set_anchor(layer, kAllEdges);
    wl_surface_commit(surface);
    connection_.dispatchUntil([&] { return probe.answered; }, kConfigureTimeoutMs);
    zwlr_layer_surface_v1_destroy(layer);
    wl_surface_destroy(surface);
    int logicalWidth = logicalWidth_, logicalHeight = logicalHeight_;
    if (probe.width == 0 || probe.height == 0 || logicalWidth <= 0 || logicalHeight <= 0)
        return;
    auto pixels = [](std::uint32_t units, int logical, int view) {
        return std::clamp(int(std::lround(double(units) * view / logical)), 1, view);
    };
    workArea_.right = pixels(probe.width, logicalWidth, width_);
    workArea_.bottom = pixels(probe.height, logicalHeight, height_);
}

POINT Overlay::toPixels(double x, double y) const
{
    int logicalWidth = std::max(logicalWidth_.load(), 1), logicalHeight = std::max(logicalHeight_.load(), 1);
    int width = width_, height = height_;
    int px = int(std::floor(x * width / logicalWidth)), py = int(std::floor(y * height / logicalHeight));
    return POINT{std::clamp(px, 0, width - 1), std::clamp(py, 0, height - 1)};
}

int Overlay::toLogical(int pixels, bool vertical) const
{
    int logical = vertical ? logicalHeight_.load() : logicalWidth_.load();
    int view = vertical ? height_ : width_;
    return int(std::lround(double(pixels) * logical / std::max(view, 1)));
}

void Overlay::commit()
{
    std::lock_guard lock(mutex_);
    wl_surface_commit(surface_);
}

} // namespace wayland
