// Bitmaps, brushes, pens and the stock objects.
#include "gdi.h"

#include <cstring>
#include <limits>

namespace win32 {

namespace {

// The largest bitmap the layer makes: 16384 x 16384 at 32 bits, a gigabyte.
constexpr long long kMaxBitmapBytes = 1LL << 30;

struct Stock {
    HGDIOBJ whiteBrush;
    HGDIOBJ blackPen;
    HGDIOBJ defaultBitmap;
};

template <class T>
HGDIOBJ addStock(std::shared_ptr<T> object)
{
    object->stock = true;
    return handles().add(std::move(object));
}

const Stock &stock()
{
    static const Stock objects{
        addStock(std::make_shared<Brush>(RGB(255, 255, 255))),
        addStock(std::make_shared<Pen>(RGB(0, 0, 0))),
        addStock(std::make_shared<Bitmap>(1, 1, 1)),
    };
    return objects;
}

bool sizeAllowed(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return false;
    return static_cast<long long>(strideFor(width, bitsPerPixel)) * height <= kMaxBitmapBytes;
}

} // namespace

Bitmap::Bitmap(int width, int height, int bitsPerPixel, bool cleared) : Object(kKind)
{
    surface.width = width;
    surface.height = height;
    surface.bitsPerPixel = bitsPerPixel;
    surface.stride = strideFor(width, bitsPerPixel);
    std::size_t bytes = std::size_t(surface.stride) * std::size_t(height);
    storage = cleared ? std::make_shared<std::uint8_t[]>(bytes) : std::make_shared_for_overwrite<std::uint8_t[]>(bytes);
    surface.bits = storage.get();
}

std::mutex &gdiMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::optional<COLORREF> brushColour(HBRUSH handle)
{
    if (auto brush = handles().find<Brush>(handle))
        return brush->colour;
    return std::nullopt;
}

std::shared_ptr<DeviceContext> makeDeviceContext(DeviceContext::Target target)
{
    auto dc = std::make_shared<DeviceContext>(target);
    const Stock &objects = stock();
    dc->brushHandle = objects.whiteBrush;
    dc->brush = handles().find<Brush>(objects.whiteBrush);
    dc->penHandle = objects.blackPen;
    dc->pen = handles().find<Pen>(objects.blackPen);
    if (target == DeviceContext::Target::Memory) {
        dc->bitmapHandle = objects.defaultBitmap;
        dc->bitmap = handles().find<Bitmap>(objects.defaultBitmap);
    }
    return dc;
}

std::shared_ptr<Bitmap> makeBitmap(int width, int height, int bitsPerPixel, bool cleared)
{
    if (!sizeAllowed(width, height, bitsPerPixel))
        return nullptr;
    return std::make_shared<Bitmap>(width, height, bitsPerPixel, cleared);
}

} // namespace win32

using namespace win32;

extern "C" HGDIOBJ WINAPI GetStockObject(int index)
{
    switch (index) {
    case WHITE_BRUSH:
        return stock().whiteBrush;
    case BLACK_PEN:
        return stock().blackPen;
    default:
        return nullptr;
    }
}

extern "C" HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits)
{
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32))
        return nullptr;
    auto bitmap = makeBitmap(width, height, int(bitsPerPixel));
    if (!bitmap)
        return nullptr;
    // Initial bits come in the bitmap's own layout, rows padded to 16 bits.
    if (bits)
        std::memcpy(bitmap->surface.bits, bits, std::size_t(bitmap->surface.stride) * std::size_t(height));
    return addHandle<HBITMAP>(bitmap);
}

extern "C" HBRUSH WINAPI CreateSolidBrush(COLORREF colour)
{
    return addHandle<HBRUSH>(std::make_shared<Brush>(colour & 0xFFFFFF));
}

// Solid pens one pixel wide (width 0 means the same) are what the layer draws.
extern "C" HPEN WINAPI CreatePen(int style, int width, COLORREF colour)
{
    if (style != PS_SOLID || width < 0 || width > 1)
        return nullptr;
    return addHandle<HPEN>(std::make_shared<Pen>(colour & 0xFFFFFF));
}

extern "C" BOOL WINAPI DeleteObject(HGDIOBJ handle)
{
    auto object = handles().find(handle);
    if (!object)
        return FALSE;
    if (object->stock)
        return TRUE;
    if (object->kind != Kind::Bitmap && object->kind != Kind::Brush && object->kind != Kind::Pen)
        return FALSE;
    // Like Wine, an object still selected into a DC loses its handle now and its storage when the
    // DC lets go of it.
    return handles().remove(handle) ? TRUE : FALSE;
}

extern "C" int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer)
{
    auto bitmap = handles().find<Bitmap>(handle);
    if (!bitmap)
        return 0;
    if (!buffer)
        return int(sizeof(BITMAP));
    if (size < int(sizeof(BITMAP)))
        return 0;
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = bitmap->surface.width;
    info.bmHeight = bitmap->surface.height;
    info.bmWidthBytes = LONG(bitmap->surface.stride);
    info.bmPlanes = 1;
    info.bmBitsPixel = WORD(bitmap->surface.bitsPerPixel);
    info.bmBits = nullptr;
    std::memcpy(buffer, &info, sizeof info);
    return int(sizeof(BITMAP));
}

// The live GDI objects the process made; stock objects belong to the system and don't count.
extern "C" DWORD WINAPI GetGuiResources(HANDLE process, DWORD flags)
{
    if (process != GetCurrentProcess() || flags != GR_GDIOBJECTS)
        return 0;
    return DWORD(handles().count([](const Object &object) {
        return !object.stock && (object.kind == Kind::DeviceContext || object.kind == Kind::Bitmap ||
                                 object.kind == Kind::Brush || object.kind == Kind::Pen);
    }));
}
