// LoadMenuA over the resource script's menu templates, and GetSubMenu.
#include "menus.h"


#include <cstring>

namespace win32 {

namespace {

// Reads a menu template's items (flags, a command unless a pop-up, a UTF-16 caption; a pop-up's
// items follow it; MF_END marks the last of a level) into `menu`. False if the template ends
// early.
bool readItems(const std::uint8_t *&p, const std::uint8_t *end, Menu &menu, int depth)
{
    if (depth > 8)
        return false;
    for (;;) {
        auto word = [&](WORD &value) {
            if (end - p < 2)
                return false;
            value = WORD(p[0] | (p[1] << 8));
            p += 2;
            return true;
        };
        Menu::Item item;
        WORD flags = 0, command = 0;
        if (!word(flags) || (!(flags & MF_POPUP) && !word(command)))
            return false;
        for (WORD c;;) {
            if (!word(c))
                return false;
            if (c == 0)
                break;
            item.text += c < 0x80 ? char(c) : '?';
        }
        item.flags = flags & ~MF_END;
        // The resource compiler writes a separator as an item without a caption.
        if (item.text.empty() && !(flags & MF_POPUP))
            item.flags |= MF_SEPARATOR;
        item.command = command;
        if (flags & MF_POPUP) {
            auto popup = std::make_shared<Menu>();
            if (!readItems(p, end, *popup, depth + 1))
                return false;
            item.popup = addHandle<HMENU>(popup);
        }
        menu.items.push_back(std::move(item));
        if (flags & MF_END)
            return true;
    }
}

} // namespace

} // namespace win32

using namespace win32;

extern "C" HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR name)
{
    HRSRC resource = FindResourceA(instance, name, RT_MENU);
    auto *data = static_cast<const std::uint8_t *>(LockResource(LoadResource(instance, resource)));
    DWORD size = SizeofResource(instance, resource);
    // A standard template: version 0 and no header bytes beyond the first four.
    if (!data || size < 4 || data[0] != 0 || data[1] != 0)
        return nullptr;
    const std::uint8_t *p = data + 4 + (data[2] | (data[3] << 8)), *end = data + size;
    if (p > end)
        return nullptr;
    auto menu = std::make_shared<Menu>();
    if (!readItems(p, end, *menu, 0))
        return nullptr;
    return addHandle<HMENU>(menu);
}

extern "C" HMENU WINAPI GetSubMenu(HMENU handle, int position)
{
    auto menu = handles().find<Menu>(handle);
    if (!menu || position < 0 || std::size_t(position) >= menu->items.size())
        return nullptr;
    return menu->items[std::size_t(position)].popup;
}
