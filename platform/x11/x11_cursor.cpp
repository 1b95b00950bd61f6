// The X11 backend's cursors: the resource's masks become an X cursor, the arrow is the theme's.
#include "x11_backend.h"

#include "../core/resources.h"

#include <vector>

namespace x11 {

// A Windows cursor shows XOR's black or white where AND is 0 and is clear where AND is 1 and
// XOR 0; the inverting pixels (both 1) have no X counterpart and show black.
::Cursor X11Backend::cursorFor(const win32::Cursor *cursor)
{
    if (!cursor || cursor->andMask.empty())
        return arrow_;
    ::Cursor &made = cursors_[cursor];
    if (made)
        return made;
    int width = cursor->width, height = cursor->height, stride = (width + 7) / 8;
    // X bitmaps: rows padded to bytes, the leftmost pixel in the lowest bit.
    std::vector<char> white(std::size_t(stride * height)), shown(white.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::size_t i = std::size_t(y * width + x), byte = std::size_t(y * stride + x / 8);
            bool clear = cursor->andMask[i], bit = cursor->xorMask[i];
            if (!clear || bit)
                shown[byte] = char(shown[byte] | (1 << (x % 8)));
            if (!clear && bit)
                white[byte] = char(white[byte] | (1 << (x % 8)));
        }
    Pixmap source = XCreateBitmapFromData(display_, root_, white.data(), unsigned(width), unsigned(height));
    Pixmap mask = XCreateBitmapFromData(display_, root_, shown.data(), unsigned(width), unsigned(height));
    XColor foreground{0, 0xFFFF, 0xFFFF, 0xFFFF, DoRed | DoGreen | DoBlue, 0};
    XColor background{0, 0, 0, 0, DoRed | DoGreen | DoBlue, 0};
    made = XCreatePixmapCursor(display_, source, mask, &foreground, &background, unsigned(cursor->hotX),
                               unsigned(cursor->hotY));
    XFreePixmap(display_, source);
    XFreePixmap(display_, mask);
    return made;
}

// Shown at once on every window of the program.
void X11Backend::setCursor(const win32::Cursor *cursor)
{
    std::lock_guard cursorLock(cursorMutex_);
    ::Cursor shape = cursorFor(cursor);
    std::lock_guard windowsLock(mutex_);
    for (const auto &entry : windows_)
        XDefineCursor(display_, entry.first, shape);
    XFlush(display_);
}

} // namespace x11
