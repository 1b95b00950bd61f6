#include "keysyms.h"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace desktop {

WPARAM virtualKey(std::uint32_t keysym)
{
    switch (keysym) {
    case XKB_KEY_Escape:
        return VK_ESCAPE;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
        return VK_RETURN;
    case XKB_KEY_space:
        return 0x20;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        return VK_UP;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        return VK_DOWN;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
        return VK_HOME;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
        return VK_END;
    default:
        break;
    }
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z)
        return WPARAM('A' + (keysym - XKB_KEY_a));
    if ((keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) || (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9))
        return WPARAM(keysym);
    return 0;
}

} // namespace desktop
