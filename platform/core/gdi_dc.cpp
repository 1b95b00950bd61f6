// Device contexts: selection, colours, and the drawing calls BitBlt and Rectangle.
#include "backend.h"
#include "gdi.h"
#include "raster.h"
#include "rect.h"
#include "user.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace win32 {

namespace {

// What one drawing call works with, taken under the lock so that another thread's selection
// can't pull a bitmap, or its pixels, away mid-call.
struct Target {
    Surface surface;
    std::shared_ptr<std::uint8_t[]> storage;
    std::shared_ptr<Bitmap> bitmap;
    std::shared_ptr<Window> window;
    // The window whose back store a frame bitmap's pixels are.
    std::shared_ptr<Window> shownOn;
    DeviceContext::Target kind{};
    COLORREF background{}, text{}, brush{}, pen{};
};

// Gives a bitmap a copy of its pixels to own. Called with gdiMutex held.
void ownPixels(Bitmap &bitmap)
{
    std::size_t bytes = std::size_t(bitmap.surface.stride) * std::size_t(bitmap.surface.height);
    auto own = std::make_shared_for_overwrite<std::uint8_t[]>(bytes);
    std::copy_n(bitmap.surface.bits, bytes, own.get());
    bitmap.storage = own;
    bitmap.surface.bits = own.get();
    bitmap.sharesScreen = false;
}

// A DC about to be drawn on never hands out pixels that its bitmap shares with the screen.
enum class Use { Read, Draw };

std::optional<Target> targetOf(HDC handle, Use use = Use::Read)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (!dc)
        return std::nullopt;
    std::lock_guard lock(gdiMutex());
    if (use == Use::Draw && dc->bitmap && dc->bitmap->sharesScreen)
        ownPixels(*dc->bitmap);
    Target t;
    t.kind = dc->target;
    t.bitmap = dc->bitmap;
    t.window = dc->window;
    if (dc->target == DeviceContext::Target::Memory) {
        t.surface = dc->bitmap->surface;
        t.storage = dc->bitmap->storage;
        t.shownOn = dc->bitmap->shownOn;
    } else if (dc->target == DeviceContext::Target::Window) {
        t.surface = dc->window->surface;
    }
    t.background = dc->background;
    t.text = dc->text;
    t.brush = dc->brush->colour;
    t.pen = dc->pen->colour;
    return t;
}

// Gives a frame bitmap pixels of its own again, as the window's back store now holds them.
// Called with gdiMutex held.
void separate(Bitmap &bitmap)
{
    ownPixels(bitmap);
    bitmap.shownOn->frame.reset();
    bitmap.shownOn.reset();
    bitmap.drawn = RECT{0, 0, 0, 0};
}

// Before drawing: a window's back store, or a frame bitmap's pixels, may still be being read
// for the last frame shown; anything but its frame drawing on a window ends the frame.
void beginDrawing(const Target &target)
{
    if (target.kind == DeviceContext::Target::Window) {
        {
            std::lock_guard lock(gdiMutex());
            if (auto frame = target.window->frame.lock())
                separate(*frame);
        }
        backend().prepareWindow(*target.window);
    } else if (target.shownOn) {
        backend().prepareWindow(*target.shownOn);
    }
}

// After drawing `area` (clipped here): a window shows it; a frame bitmap notes it for its next
// whole copy onto its window.
void endDrawing(const Target &target, RECT area)
{
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, target.surface.width);
    area.bottom = std::min<LONG>(area.bottom, target.surface.height);
    if (area.left >= area.right || area.top >= area.bottom)
        area = RECT{0, 0, 0, 0};
    if (target.kind == DeviceContext::Target::Window) {
        backend().presentWindow(*target.window, area);
    } else if (target.kind == DeviceContext::Target::Memory) {
        std::lock_guard lock(gdiMutex());
        Bitmap &bitmap = *target.bitmap;
        ++bitmap.drawings;
        bitmap.sinceRestored = unite(bitmap.sinceRestored, area);
        if (target.shownOn && bitmap.shownOn == target.shownOn)
            bitmap.drawn = unite(bitmap.drawn, area);
    }
}

// A frame restored whole from a bitmap of its size: where it was not drawn on since it was last
// restored from that same, unchanged bitmap, it holds that bitmap's pixels already.
bool restoreFrame(const Target &frame, const Target &from)
{
    const Surface &to = frame.surface, &source = from.surface;
    if (source.monochrome() || source.width != to.width || source.height != to.height)
        return false;
    beginDrawing(frame);
    RECT area{0, 0, to.width, to.height};
    {
        std::lock_guard lock(gdiMutex());
        const Bitmap &bitmap = *frame.bitmap;
        if (bitmap.restoredFrom.lock() == from.bitmap && !bitmap.handedOut && !from.bitmap->handedOut &&
            bitmap.restoredAt == from.bitmap->drawings)
            area = bitmap.sinceRestored;
    }
    RECT changed{0, 0, 0, 0};
    if (area.left < area.right && area.top < area.bottom)
        changed = raster::copyChanged(to, area.left, area.top, area.right - area.left, area.bottom - area.top,
                                      source, area.left, area.top);
    endDrawing(frame, changed);
    std::lock_guard lock(gdiMutex());
    frame.bitmap->restoredFrom = from.bitmap;
    frame.bitmap->restoredAt = from.bitmap->drawings;
    frame.bitmap->sinceRestored = RECT{0, 0, 0, 0};
    return true;
}

// A whole colour bitmap copied onto a window of its very size, the way a program shows the
// frame it composed: the bitmap becomes the window's frame, and later copies show only what
// was drawn on it since.
bool showFrame(const Target &window, const Target &bitmap)
{
    const Surface &store = window.surface, &frame = bitmap.surface;
    if (frame.monochrome() || frame.width != store.width || frame.height != store.height ||
        frame.stride != store.stride || store.bitsPerPixel != 32)
        return false;
    RECT shown;
    bool alreadyShown;
    {
        std::lock_guard lock(gdiMutex());
        alreadyShown = bitmap.bitmap->shownOn == window.window;
        if (alreadyShown) {
            shown = bitmap.bitmap->drawn;
            bitmap.bitmap->drawn = RECT{0, 0, 0, 0};
        } else {
            if (bitmap.bitmap->shownOn)
                separate(*bitmap.bitmap);
            if (auto previous = window.window->frame.lock())
                separate(*previous);
        }
    }
    if (alreadyShown) {
        backend().presentWindow(*window.window, shown);
        return true;
    }
    backend().prepareWindow(*window.window);
    shown = raster::copyChanged(store, 0, 0, store.width, store.height, frame, 0, 0);
    {
        std::lock_guard lock(gdiMutex());
        // Unless another thread drew on either meanwhile, the bitmap's pixels become the store.
        if (bitmap.bitmap->surface.bits == frame.bits && window.window->frame.expired()) {
            bitmap.bitmap->storage.reset();
            bitmap.bitmap->surface.bits = store.bits;
            bitmap.bitmap->sharesScreen = false;
            bitmap.bitmap->shownOn = window.window;
            bitmap.bitmap->drawn = RECT{0, 0, 0, 0};
            window.window->frame = bitmap.bitmap;
        }
    }
    backend().presentWindow(*window.window, shown);
    return true;
}

// A colour bitmap of the screen's size copied whole from the screen while the backend keeps the
// screen's picture takes that picture's pixels, shared (see Bitmap::sharesScreen). Bitmaps
// whose pixels were handed out or are a window's store keep theirs.
bool shareScreen(HDC destinationHandle, HDC sourceHandle, int width, int height)
{
    auto source = handles().find<DeviceContext>(sourceHandle);
    auto destination = handles().find<DeviceContext>(destinationHandle);
    if (!source || !destination || source->target != DeviceContext::Target::Screen ||
        destination->target != DeviceContext::Target::Memory)
        return false;
    auto picture = backend().screenPicture();
    if (!picture || width < picture->width || height < picture->height)
        return false;
    std::lock_guard lock(gdiMutex());
    Bitmap &bitmap = *destination->bitmap;
    const Surface &s = bitmap.surface;
    if (s.bitsPerPixel != 32 || s.width != picture->width || s.height != picture->height || bitmap.handedOut ||
        bitmap.shownOn)
        return false;
    // Only read while shared.
    auto *pixels = reinterpret_cast<std::uint8_t *>(const_cast<std::uint32_t *>(picture->pixels.data()));
    bitmap.storage = std::shared_ptr<std::uint8_t[]>(picture, pixels);
    bitmap.surface.bits = pixels;
    bitmap.sharesScreen = true;
    ++bitmap.drawings;
    bitmap.sinceRestored = RECT{0, 0, s.width, s.height};
    return true;
}

int bitsPerPixelFor(HDC handle)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (!dc)
        return 0;
    std::lock_guard lock(gdiMutex());
    // A memory DC makes bitmaps like the one it holds; window and screen DCs make colour ones.
    if (dc->target == DeviceContext::Target::Memory)
        return dc->bitmap->surface.bitsPerPixel;
    return 32;
}

// On a monochrome surface a pen that is neither black nor white draws as the DC's background
// colour would if it is that colour, and in the other of black and white if not.
COLORREF monochromePen(COLORREF pen, COLORREF background)
{
    if (pen == RGB(0, 0, 0) || pen == RGB(255, 255, 255))
        return pen;
    return (pen == background) == nearerWhite(background) ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

// Converts a device-independent bitmap of 1, 4 or 8 bits with a colour table into `bitmap`.
bool convertDib(Bitmap &bitmap, const void *bits, const BITMAPINFO *info)
{
    const BITMAPINFOHEADER &header = info->bmiHeader;
    int depth = header.biBitCount;
    if (header.biCompression != BI_RGB || header.biPlanes != 1 || (depth != 1 && depth != 4 && depth != 8) ||
        header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0)
        return false;
    std::uint32_t tableSize = 1u << depth;
    std::uint32_t used = header.biClrUsed ? std::min(header.biClrUsed, tableSize) : tableSize;
    auto *table = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const std::uint8_t *>(info) + header.biSize);
    // Entries past the table's end are black. On a monochrome bitmap each entry becomes the
    // nearer of black and white.
    const Surface &out = bitmap.surface;
    std::uint32_t lookup[256] = {};
    for (std::uint32_t i = 0; i < used; ++i) {
        COLORREF colour = RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
        lookup[i] = out.monochrome() ? std::uint32_t(nearerWhite(colour)) : pixelFromColour(colour);
    }

    int width = std::min<int>(header.biWidth, out.width);
    int height = std::min<int>(std::abs(header.biHeight), out.height);
    std::size_t dibStride = ((std::size_t(header.biWidth) * depth + 31) / 32) * 4;
    bool bottomUp = header.biHeight > 0;
    const auto *dib = static_cast<const std::uint8_t *>(bits);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *row = dib + dibStride * std::size_t(bottomUp ? std::abs(header.biHeight) - 1 - y : y);
        if (out.monochrome()) {
            std::uint8_t *bitsOut = out.row(y);
            for (int x = 0; x < width; ++x) {
                int bit = x * depth;
                std::uint32_t index = (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
                auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
                bitsOut[x >> 3] = static_cast<std::uint8_t>(lookup[index] ? (bitsOut[x >> 3] | mask)
                                                                          : (bitsOut[x >> 3] & ~mask));
            }
        } else if (depth == 8) {
            std::uint32_t *pixels = out.pixels(y);
            for (int x = 0; x < width; ++x)
                pixels[x] = lookup[row[x]];
        } else {
            std::uint32_t *pixels = out.pixels(y);
            for (int x = 0; x < width; ++x) {
                int bit = x * depth;
                pixels[x] = lookup[(row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1)];
            }
        }
    }
    return true;
}

} // namespace

Surface surfaceOf(HDC handle)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (dc && dc->target == DeviceContext::Target::Memory) {
        std::lock_guard lock(gdiMutex());
        if (dc->bitmap->shownOn)
            separate(*dc->bitmap);
        if (dc->bitmap->sharesScreen)
            ownPixels(*dc->bitmap);
        dc->bitmap->handedOut = true;
    }
    auto target = targetOf(handle);
    return target ? target->surface : Surface{};
}

} // namespace win32

using namespace win32;

extern "C" HDC WINAPI GetDC(HWND handle)
{
    if (!handle)
        return addHandle<HDC>(makeDeviceContext(DeviceContext::Target::Screen));
    auto window = handles().find<Window>(handle);
    if (!window)
        return nullptr;
    auto dc = makeDeviceContext(DeviceContext::Target::Window);
    dc->window = window;
    return addHandle<HDC>(dc);
}

extern "C" int WINAPI ReleaseDC(HWND, HDC handle)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (!dc || dc->target == DeviceContext::Target::Memory)
        return 0;
    return handles().remove(handle) ? 1 : 0;
}

extern "C" HDC WINAPI CreateCompatibleDC(HDC handle)
{
    if (handle && !handles().find<DeviceContext>(handle))
        return nullptr;
    return addHandle<HDC>(makeDeviceContext(DeviceContext::Target::Memory));
}

extern "C" BOOL WINAPI DeleteDC(HDC handle)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (!dc || dc->target != DeviceContext::Target::Memory)
        return FALSE;
    {
        std::lock_guard lock(gdiMutex());
        if (dc->bitmap && dc->bitmap->selectedInto == dc.get())
            dc->bitmap->selectedInto = nullptr;
    }
    return handles().remove(handle) ? TRUE : FALSE;
}

extern "C" HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ objectHandle)
{
    auto dc = handles().find<DeviceContext>(handle);
    auto object = handles().find(objectHandle);
    if (!dc || !object)
        return nullptr;
    std::lock_guard lock(gdiMutex());
    HGDIOBJ previous = nullptr;
    switch (object->kind) {
    case Kind::Bitmap: {
        auto bitmap = std::static_pointer_cast<Bitmap>(object);
        if (dc->target != DeviceContext::Target::Memory)
            return nullptr;
        if (bitmap->selectedInto && bitmap->selectedInto != dc.get())
            return nullptr;
        if (dc->bitmap->selectedInto == dc.get())
            dc->bitmap->selectedInto = nullptr;
        if (!bitmap->stock)
            bitmap->selectedInto = dc.get();
        previous = dc->bitmapHandle;
        dc->bitmap = bitmap;
        dc->bitmapHandle = objectHandle;
        break;
    }
    case Kind::Brush:
        previous = dc->brushHandle;
        dc->brush = std::static_pointer_cast<Brush>(object);
        dc->brushHandle = objectHandle;
        break;
    case Kind::Pen:
        previous = dc->penHandle;
        dc->pen = std::static_pointer_cast<Pen>(object);
        dc->penHandle = objectHandle;
        break;
    default:
        return nullptr;
    }
    return previous;
}

extern "C" COLORREF WINAPI SetBkColor(HDC handle, COLORREF colour)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (!dc)
        return CLR_INVALID;
    std::lock_guard lock(gdiMutex());
    COLORREF previous = dc->background;
    dc->background = colour & 0xFFFFFF;
    return previous;
}

extern "C" COLORREF WINAPI SetTextColor(HDC handle, COLORREF colour)
{
    auto dc = handles().find<DeviceContext>(handle);
    if (!dc)
        return CLR_INVALID;
    std::lock_guard lock(gdiMutex());
    COLORREF previous = dc->text;
    dc->text = colour & 0xFFFFFF;
    return previous;
}

extern "C" HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height)
{
    int depth = bitsPerPixelFor(handle);
    if (!depth)
        return nullptr;
    if (width == 0 || height == 0)
        return CreateBitmap(1, 1, 1, 1, nullptr);
    auto bitmap = makeBitmap(width, height, depth);
    return bitmap ? addHandle<HBITMAP>(bitmap) : nullptr;
}

extern "C" HBITMAP WINAPI CreateDIBitmap(HDC handle, const BITMAPINFOHEADER *header, DWORD init, const void *bits,
                                         const BITMAPINFO *info, UINT usage)
{
    if (!header || header->biHeight == INT32_MIN || (info && info->bmiHeader.biHeight == INT32_MIN))
        return nullptr;
    // Without a DC the bitmap is monochrome, as in Wine.
    int depth = handle ? bitsPerPixelFor(handle) : 1;
    if (!depth)
        return nullptr;
    // A colour bitmap whose every pixel comes from the DIB's bits needs no clearing first.
    bool overwritten = (init & CBM_INIT) && depth == 32 && info && info->bmiHeader.biWidth >= header->biWidth &&
                       std::abs(info->bmiHeader.biHeight) >= std::abs(header->biHeight);
    auto bitmap = makeBitmap(header->biWidth, std::abs(header->biHeight), depth, !overwritten);
    if (!bitmap)
        return nullptr;
    if (init & CBM_INIT) {
        if (!bits || !info || usage != DIB_RGB_COLORS || !convertDib(*bitmap, bits, info))
            return nullptr;
    }
    return addHandle<HBITMAP>(bitmap);
}

extern "C" BOOL WINAPI Rectangle(HDC handle, int left, int top, int right, int bottom)
{
    auto target = targetOf(handle, Use::Draw);
    if (!target || target->kind == DeviceContext::Target::Screen)
        return FALSE;
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left == right || top == bottom)
        return TRUE;
    // The brush fills the inside; the one-pixel pen outlines it. Right and bottom edges are
    // outside the rectangle.
    const Surface &s = target->surface;
    COLORREF pen = s.monochrome() ? monochromePen(target->pen, target->background) : target->pen;
    beginDrawing(*target);
    raster::fill(s, left + 1, top + 1, right - 1, bottom - 1, target->brush);
    raster::fill(s, left, top, right, top + 1, pen);
    raster::fill(s, left, bottom - 1, right, bottom, pen);
    raster::fill(s, left, top, left + 1, bottom, pen);
    raster::fill(s, right - 1, top, right, bottom, pen);
    endDrawing(*target, RECT{left, top, right, bottom});
    return TRUE;
}

extern "C" COLORREF WINAPI GetPixel(HDC handle, int x, int y)
{
    auto target = targetOf(handle);
    if (!target)
        return CLR_INVALID;
    Surface s = target->surface;
    std::uint32_t screenPixel = 0;
    if (target->kind == DeviceContext::Target::Screen) {
        if (x < 0 || y < 0 || x >= backend().screenWidth() || y >= backend().screenHeight())
            return CLR_INVALID;
        s = Surface{reinterpret_cast<std::uint8_t *>(&screenPixel), 1, 1, 4, 32};
        backend().captureScreen(x, y, s);
        x = y = 0;
    }
    if (x < 0 || y < 0 || x >= s.width || y >= s.height)
        return CLR_INVALID;
    if (s.monochrome())
        return s.monoBit(x, y) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return colourFromPixel(s.pixels(y)[x]);
}

extern "C" BOOL WINAPI BitBlt(HDC destinationHandle, int x, int y, int width, int height, HDC sourceHandle,
                              int sourceX, int sourceY, DWORD code)
{
    auto rop = raster::ropFromCode(code);
    if (rop == raster::Rop::Copy && x == 0 && y == 0 && sourceX == 0 && sourceY == 0 &&
        shareScreen(destinationHandle, sourceHandle, width, height))
        return TRUE;
    auto destination = targetOf(destinationHandle, Use::Draw);
    auto source = targetOf(sourceHandle);
    if (!rop || !destination || !source || destination->kind == DeviceContext::Target::Screen)
        return FALSE;
    if (width <= 0 || height <= 0)
        return TRUE;

    // The way a program restores its back buffer from a snapshot and shows it: see Bitmap.
    bool whole = x == 0 && y == 0 && sourceX == 0 && sourceY == 0 && width >= destination->surface.width &&
                 height >= destination->surface.height;
    if (destination->shownOn && source->kind == DeviceContext::Target::Memory && *rop == raster::Rop::Copy &&
        whole && restoreFrame(*destination, *source))
        return TRUE;
    if (destination->kind == DeviceContext::Target::Window && source->kind == DeviceContext::Target::Memory &&
        *rop == raster::Rop::Copy && whole && showFrame(*destination, *source))
        return TRUE;

    raster::Colours colours{pixelFromColour(source->background), pixelFromColour(destination->text),
                            pixelFromColour(destination->background)};
    Surface from = source->surface;
    const Surface &to = destination->surface;
    beginDrawing(*destination);
    std::vector<std::uint8_t> screen;
    if (source->kind == DeviceContext::Target::Screen) {
        // Read only the part of the screen that the transfer covers, straight into a colour
        // destination when nothing is to be combined.
        long long left = std::max<long long>(sourceX, 0), top = std::max<long long>(sourceY, 0);
        long long right = std::min<long long>(0LL + sourceX + width, backend().screenWidth());
        long long bottom = std::min<long long>(0LL + sourceY + height, backend().screenHeight());
        if (*rop == raster::Rop::Copy && !to.monochrome()) {
            long long toLeft = std::max<long long>(x + (left - sourceX), 0);
            long long toTop = std::max<long long>(y + (top - sourceY), 0);
            left += toLeft - (x + (left - sourceX));
            top += toTop - (y + (top - sourceY));
            right = std::min<long long>(right, left + (to.width - toLeft));
            bottom = std::min<long long>(bottom, top + (to.height - toTop));
            RECT drawn{0, 0, 0, 0};
            if (left < right && top < bottom) {
                Surface into = to;
                into.bits = to.row(int(toTop)) + toLeft * 4;
                into.width = int(right - left);
                into.height = int(bottom - top);
                backend().captureScreen(int(left), int(top), into);
                drawn = RECT{LONG(toLeft), LONG(toTop), LONG(toLeft + into.width), LONG(toTop + into.height)};
            }
            endDrawing(*destination, drawn);
            return TRUE;
        }
        if (left >= right || top >= bottom) {
            endDrawing(*destination, RECT{0, 0, 0, 0});
            return TRUE;
        }
        from.width = int(right - left);
        from.height = int(bottom - top);
        from.bitsPerPixel = 32;
        from.stride = strideFor(from.width, 32);
        screen.resize(std::size_t(from.stride) * std::size_t(from.height));
        from.bits = screen.data();
        backend().captureScreen(int(left), int(top), from);
        sourceX -= int(left);
        sourceY -= int(top);
    }
    // Onto a window or a frame, a copy writes only the pixels that change, and shows or notes
    // only those.
    if ((destination->kind == DeviceContext::Target::Window || destination->shownOn) &&
        source->kind == DeviceContext::Target::Memory && *rop == raster::Rop::Copy && !from.monochrome() &&
        !to.monochrome() && from.bits != to.bits) {
        endDrawing(*destination, raster::copyChanged(to, x, y, width, height, from, sourceX, sourceY));
        return TRUE;
    }
    raster::blt(to, x, y, width, height, from, sourceX, sourceY, *rop, colours);
    endDrawing(*destination, RECT{x, y, LONG(std::min<long long>(0LL + x + width, INT32_MAX)),
                                  LONG(std::min<long long>(0LL + y + height, INT32_MAX))});
    return TRUE;
}
