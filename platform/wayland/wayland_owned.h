// Objects owned by the one who made them, destroyed with their owner in reverse order of
// declaration: the connection, declared first, goes last.
#pragma once

#include <wayland-client.h>

#include <memory>

namespace wayland {

template <auto destroy> struct Destroyer {
    template <class T> void operator()(T *object) const { destroy(object); }
};

// For the libraries' exported destructors.
template <class T, auto destroy> using Owned = std::unique_ptr<T, Destroyer<destroy>>;

// Protocol requests are inline functions of the generated headers, so a surface gets its own.
struct SurfaceDestroyer {
    void operator()(wl_surface *surface) const { wl_surface_destroy(surface); }
};
using OwnedSurface = std::unique_ptr<wl_surface, SurfaceDestroyer>;

// Drops the client side of a protocol object, as the parts' destructors do; null does nothing.
inline void destroyProxy(void *proxy)
{
    if (proxy)
        wl_proxy_destroy(static_cast<wl_proxy *>(proxy));
}

} // namespace wayland
