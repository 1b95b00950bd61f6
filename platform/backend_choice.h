// Which host `howdy` shows on: Wayland when WAYLAND_DISPLAY names a compositor and it lets the
// screen be read, else X11; HOWDY_BACKEND=wayland or x11 decides instead.
#pragma once

#include "core/backend.h"

#include <memory>
#include <string>

// The backend to install, or nothing with `error` set to one line. A fall back from Wayland to
// X11 is said on standard error.
std::unique_ptr<win32::Backend> openBackend(std::string &error);
