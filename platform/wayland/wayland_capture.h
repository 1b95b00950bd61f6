// The capture routes: each output the show may cover is read once, before anything of ours is
// mapped and before the events thread runs, by the first route that works: the image copy
// capture, the wlroots screen copy (wayland_capture), KWin's screenshot interface (wayland_kwin),
// the desktop portal (wayland_portal).
// HOWDY_SNAPSHOT names one route to use alone. They keep nothing once the pictures are taken.
#pragma once

#include "wayland_connection.h"

#include <map>

namespace wayland {

// Every output's picture as the user sees it; on failure false, with `error` saying why.
bool takeSnapshots(Connection &connection, const std::vector<Output *> &outputs, std::map<Output *, Image> &into,
                   std::string &error);

// wayland_kwin.cpp: the output's picture from KWin; on failure `error` ends a sentence that
// begins "KWin's screenshot interface".
std::optional<Image> captureByKWin(const Output &output, std::string &error);

// wayland_portal.cpp: the desktop portal's screenshot, cut into the outputs' pictures; on failure
// `error` ends a sentence that begins "the screenshot portal".
bool captureByPortal(const Connection &connection, const std::vector<Output *> &outputs,
                     std::map<Output *, Image> &into, std::string &error);

} // namespace wayland
