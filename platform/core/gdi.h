// GDI objects: bitmaps, brushes, pens and device contexts.
#pragma once

#include "handles.h"
#include "surface.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>

namespace win32 {

struct Window;
struct DeviceContext;

struct Bitmap : Object {
    static constexpr Kind kKind = Kind::Bitmap;
    // New bitmaps are black unless `cleared` is false: then the caller writes every pixel.
    Bitmap(int width, int height, int bitsPerPixel, bool cleared = true);

    Surface surface;
    // Shared with the drawing calls under way, which keep the pixels they were given.
    std::shared_ptr<std::uint8_t[]> storage;
    // A bitmap lives in at most one device context at a time (guarded by gdiMutex).
    DeviceContext *selectedInto = nullptr;

    // A colour bitmap copied whole onto a window of its size becomes the window's frame: its
    // pixels are the window's back store from then on, so that the program draws straight into
    // what the display reads, and the next whole copy shows only `drawn`, the part drawn since
    // the last. It gets pixels of its own again when anything else draws on the window, or when
    // its pixels are handed out (surfaceOf). Guarded by gdiMutex.
    std::shared_ptr<Window> shownOn;
    RECT drawn{0, 0, 0, 0};

    // What the layer knows of the pixels, so that a frame restored whole from another bitmap
    // (a back buffer from the desktop's snapshot) copies only where it was drawn on since the
    // last restoring: a count of drawings on the bitmap; whether its pixels were handed out, so
    // that nothing is known of them any more; and for a frame, the bitmap it was last restored
    // from with that one's count then, and the part drawn since. Guarded by gdiMutex.
    std::uint64_t drawings = 0;
    bool handedOut = false;
    std::weak_ptr<Bitmap> restoredFrom;
    std::uint64_t restoredAt = 0;
    RECT sinceRestored{0, 0, 0, 0};

    // A colour bitmap copied whole from a screen that holds still shares the screen's picture
    // (Backend::screenPicture) with the backend and every other such copy, instead of holding
    // one more copy of the screen. Nothing writes it: the bitmap gets pixels of its own before
    // it is drawn on, shown as a frame or its pixels are handed out. Guarded by gdiMutex.
    bool sharesScreen = false;
};

struct Brush : Object {
    static constexpr Kind kKind = Kind::Brush;
    explicit Brush(COLORREF colour) : Object(kKind), colour(colour) {}
    COLORREF colour;
};

struct Pen : Object {
    static constexpr Kind kKind = Kind::Pen;
    explicit Pen(COLORREF colour) : Object(kKind), colour(colour) {}
    COLORREF colour;
};

struct DeviceContext : Object {
    static constexpr Kind kKind = Kind::DeviceContext;
    enum class Target { Memory, Window, Screen };
    explicit DeviceContext(Target target) : Object(kKind), target(target) {}

    Target target;
    std::shared_ptr<Window> window;
    std::shared_ptr<Bitmap> bitmap;
    HGDIOBJ bitmapHandle = nullptr;
    std::shared_ptr<Brush> brush;
    HGDIOBJ brushHandle = nullptr;
    std::shared_ptr<Pen> pen;
    HGDIOBJ penHandle = nullptr;
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
};

// Guards the selections of every device context.
std::mutex &gdiMutex();

std::optional<COLORREF> brushColour(HBRUSH brush);

// A new memory DC holding the stock 1 x 1 monochrome bitmap, white brush and black pen.
std::shared_ptr<DeviceContext> makeDeviceContext(DeviceContext::Target target);

// A bitmap of the given format, or null when the size is not positive or too large.
std::shared_ptr<Bitmap> makeBitmap(int width, int height, int bitsPerPixel, bool cleared = true);

// The surface that a DC draws on, for tests and tools that look at pixels; empty for DCs that
// have none of their own (the screen's).
Surface surfaceOf(HDC dc);

} // namespace win32
