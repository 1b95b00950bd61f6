// Rectangles as GDI has them: left and top inside, right and bottom outside.
#pragma once

#include <windows.h>

#include <algorithm>

namespace win32 {

inline bool isEmpty(const RECT &r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

// The smallest rectangle holding both; an empty one adds nothing.
inline RECT unite(const RECT &a, const RECT &b)
{
    if (isEmpty(a))
        return b;
    if (isEmpty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

} // namespace win32
