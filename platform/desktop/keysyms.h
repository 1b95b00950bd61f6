// Keys as the live desktops name them, by key symbol (X11's keysyms; xkbcommon's are the same
// numbers), turned into Windows' virtual-key codes.
#pragma once

#include <windows.h>

#include <cstdint>

namespace desktop {

// The virtual-key code of a key by its unshifted symbol, for the keys that have one of the same
// meaning; 0 for the others.
WPARAM virtualKey(std::uint32_t keysym);

} // namespace desktop
