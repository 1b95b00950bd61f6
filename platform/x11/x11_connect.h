// Opening $DISPLAY: two connections, one for drawing and one for input, each answered at least
// once. A server that accepts a connection and then never answers must not hang the start.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <string>

namespace x11 {

struct Connections {
    Display *main = nullptr;
    Display *events = nullptr;
};

// Gives up after `patience`; on failure returns nothing and sets `error`.
std::optional<Connections> connectDisplay(std::chrono::milliseconds patience, std::string &error);

} // namespace x11
