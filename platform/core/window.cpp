// Window classes and windows.
#include "backend.h"
#include "gdi.h"
#include "user.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace win32 {

namespace {

struct WindowClass {
    WNDCLASSA fields;
    std::string name;
};

std::string lowered(const char *text)
{
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Class names match without regard to case, as Windows matches them.
std::map<std::string, WindowClass> &classes()
{
    static std::map<std::string, WindowClass> registry;
    return registry;
}

std::vector<std::weak_ptr<Window>> &windowList()
{
    static std::vector<std::weak_ptr<Window>> list;
    return list;
}

ATOM nextAtom = 0xC000;

} // namespace

std::vector<std::shared_ptr<Window>> liveWindows()
{
    std::lock_guard lock(userMutex());
    std::vector<std::shared_ptr<Window>> result;
    for (auto &weak : windowList())
        if (auto window = weak.lock())
            result.push_back(std::move(window));
    return result;
}

} // namespace win32

using namespace win32;

extern "C" ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName) ||
        !windowClass->lpfnWndProc)
        return 0;
    std::lock_guard lock(userMutex());
    auto key = lowered(windowClass->lpszClassName);
    if (classes().count(key))
        return 0;
    WindowClass entry{*windowClass, windowClass->lpszClassName};
    entry.fields.lpszClassName = nullptr;
    entry.fields.lpszMenuName = nullptr;
    classes().emplace(key, entry);
    return nextAtom++;
}

extern "C" HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                       LPVOID param)
{
    if (!className || IS_INTRESOURCE(className) || parent)
        return nullptr;
    auto window = std::make_shared<Window>();
    COLORREF background = RGB(255, 255, 255);
    {
        std::lock_guard lock(userMutex());
        auto found = classes().find(lowered(className));
        if (found == classes().end())
            return nullptr;
        window->procedure = found->second.fields.lpfnWndProc;
        window->className = found->second.name;
        window->icon = found->second.fields.hIcon;
        if (auto brush = brushColour(found->second.fields.hbrBackground))
            background = *brush;
    }
    window->instance = instance;
    window->title = windowName ? windowName : "";
    window->style = style;
    window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    window->owner = currentThreadShared();
    HWND handle = addHandle<HWND>(window);
    window->handle = handle;
    backend().createWindow(*window, background);
    {
        std::lock_guard lock(userMutex());
        windowList().push_back(window);
    }

    // WM_CREATE runs inside this call, before the window can be seen.
    CREATESTRUCTA create{param,  instance, menu,      parent,   height, width,
                         y,      x,        LONG(style), windowName, className, exStyle};
    if (window->procedure(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        handles().remove(handle);
        return nullptr;
    }
    return handle;
}

extern "C" BOOL WINAPI ShowWindow(HWND handle, int showCommand)
{
    auto window = handles().find<Window>(handle);
    if (!window)
        return FALSE;
    bool wasVisible;
    bool visible = showCommand != SW_HIDE;
    {
        std::lock_guard lock(userMutex());
        wasVisible = window->visible;
        window->visible = visible;
    }
    if (visible != wasVisible)
        backend().showWindow(*window, visible);
    return wasVisible ? TRUE : FALSE;
}

// The layer never invalidates a window, so there is never anything for WM_PAINT to do: a shown
// window keeps its class background until something is drawn on it.
extern "C" BOOL WINAPI UpdateWindow(HWND handle)
{
    return handles().find<Window>(handle) ? TRUE : FALSE;
}

extern "C" LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// Only the work area is asked for; other settings are not the program's business.
extern "C" BOOL WINAPI SystemParametersInfoA(UINT action, UINT, LPVOID value, UINT)
{
    if (action != SPI_GETWORKAREA || !value)
        return FALSE;
    *static_cast<RECT *>(value) = backend().workArea();
    return TRUE;
}

extern "C" BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

// Left and top edges are inside, right and bottom edges outside.
extern "C" BOOL WINAPI PtInRect(const RECT *rect, POINT point)
{
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

extern "C" int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return backend().screenWidth();
    case SM_CYSCREEN:
        return backend().screenHeight();
    default:
        return 0;
    }
}
