// Menus loaded from the resources, for TrackPopupMenu.
#pragma once

#include "handles.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace win32 {

struct Menu : Object {
    static constexpr Kind kKind = Kind::Menu;
    Menu() : Object(kKind) {}

    struct Item {
        std::string text; // as the resource spells it, & marking the access key
        UINT command = 0; // 0 for a pop-up or a separator
        UINT flags = 0;   // MF_POPUP, MF_GRAYED, MF_SEPARATOR ...
        HMENU popup = nullptr;
    };
    std::vector<Item> items;
};

} // namespace win32
