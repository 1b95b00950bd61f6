// FindResourceA and friends over the embedded .res image, and the cursors and icons in it.
#include "resources.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <optional>

// The resource script compiled by windres, linked in by the program's build; absent in binaries
// that don't carry one.
extern "C" const std::uint8_t win32EmbeddedResources[] __attribute__((weak));
extern "C" const std::uint8_t win32EmbeddedResourcesEnd[] __attribute__((weak));

namespace win32 {

namespace {

// A resource type or name: an ordinal, or a string compared in upper case.
struct Id {
    std::optional<WORD> ordinal;
    std::string text;
    bool operator==(const Id &other) const { return ordinal == other.ordinal && text == other.text; }
};

struct Entry {
    Id type;
    Id name;
    const std::uint8_t *data;
    DWORD size;
};

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

std::optional<Id> idFromArgument(LPCSTR value)
{
    if (!value)
        return std::nullopt;
    if (IS_INTRESOURCE(value))
        return Id{WORD(reinterpret_cast<ULONG_PTR>(value)), {}};
    // "#123" names ordinal 123.
    if (value[0] == '#') {
        char *end = nullptr;
        unsigned long number = std::strtoul(value + 1, &end, 10);
        if (end != value + 1 && *end == 0 && number <= 0xFFFF)
            return Id{WORD(number), {}};
    }
    return Id{std::nullopt, upper(value)};
}

std::uint16_t read16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Reads a type or name field of a .res header: 0xFFFF and an ordinal, or UTF-16 text.
bool readId(const std::uint8_t *&p, const std::uint8_t *end, Id &id)
{
    if (end - p < 2)
        return false;
    if (read16(p) == 0xFFFF) {
        if (end - p < 4)
            return false;
        id.ordinal = read16(p + 2);
        p += 4;
        return true;
    }
    for (;;) {
        if (end - p < 2)
            return false;
        std::uint16_t unit = read16(p);
        p += 2;
        if (unit == 0)
            break;
        id.text.push_back(unit < 0x80 ? char(std::toupper(unit)) : '?');
    }
    return true;
}

std::vector<Entry> parse(std::span<const std::uint8_t> file)
{
    std::vector<Entry> entries;
    const std::uint8_t *begin = file.data();
    const std::uint8_t *end = begin + file.size();
    const std::uint8_t *p = begin;
    while (end - p >= 8) {
        DWORD dataSize = read32(p);
        DWORD headerSize = read32(p + 4);
        if (headerSize < 8 || headerSize > std::size_t(end - p) || dataSize > std::size_t(end - p) - headerSize)
            break;
        const std::uint8_t *field = p + 8;
        const std::uint8_t *headerEnd = p + headerSize;
        Entry entry{{}, {}, p + headerSize, dataSize};
        if (!readId(field, headerEnd, entry.type) || !readId(field, headerEnd, entry.name))
            break;
        // The leading empty entry only marks a 32-bit resource file.
        if (dataSize > 0)
            entries.push_back(entry);
        std::size_t next = std::size_t(p - begin) + headerSize + dataSize;
        next = (next + 3) & ~std::size_t(3);
        if (next >= file.size())
            break;
        p = begin + next;
    }
    return entries;
}

struct Resources {
    Resources()
    {
        if (win32EmbeddedResources && win32EmbeddedResourcesEnd)
            entries = parse({win32EmbeddedResources, win32EmbeddedResourcesEnd});
    }
    std::mutex mutex;
    std::vector<Entry> entries;
    // The data of corrupted resources; a list, so that the data never moves.
    std::list<std::vector<std::uint8_t>> corrupted;
    std::map<std::string, HCURSOR> cursors;
    std::map<std::string, HICON> icons;
};

Resources &resources()
{
    static Resources state;
    return state;
}

bool moduleAccepted(HMODULE module)
{
    return module == nullptr || module == moduleInstance();
}

// An HRSRC is the address of its entry; anything else, between entries too, is refused.
const Entry *entryFrom(HRSRC handle)
{
    auto &entries = resources().entries;
    std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(handle) - reinterpret_cast<std::uintptr_t>(entries.data());
    if (offset % sizeof(Entry) != 0 || offset / sizeof(Entry) >= entries.size())
        return nullptr;
    return &entries[offset / sizeof(Entry)];
}

const Entry *find(const Id &type, const Id &name)
{
    for (const Entry &entry : resources().entries)
        if (entry.type == type && entry.name == name)
            return &entry;
    return nullptr;
}

std::string keyOf(const Id &id)
{
    if (!id.ordinal)
        return id.text;
    std::string key = "#";
    return key += std::to_string(*id.ordinal);
}

// Reads the first image of a cursor group: a 1-bit cursor with XOR and AND masks stacked.
std::shared_ptr<Cursor> loadCursorResource(const Id &name)
{
    const Entry *group = find(Id{12, {}}, name);
    if (!group || group->size < 6 + 14 || read16(group->data + 2) != 2 || read16(group->data + 4) == 0)
        return nullptr;
    WORD imageId = read16(group->data + 6 + 12);
    const Entry *image = find(Id{1, {}}, Id{imageId, {}});
    if (!image || image->size < 4 + sizeof(BITMAPINFOHEADER))
        return nullptr;
    const std::uint8_t *p = image->data;
    BITMAPINFOHEADER header;
    std::memcpy(&header, p + 4, sizeof header);
    int width = header.biWidth, height = header.biHeight / 2;
    if (header.biBitCount != 1 || width <= 0 || width > 256 || height <= 0 || height > 256)
        return nullptr;
    std::size_t stride = ((std::size_t(width) + 31) / 32) * 4;
    std::size_t offset = 4 + header.biSize + 2 * 4;
    if (image->size < offset + 2 * stride * std::size_t(height))
        return nullptr;
    auto cursor = std::make_shared<Cursor>();
    cursor->name = name.ordinal ? keyOf(name) : name.text;
    std::transform(cursor->name.begin(), cursor->name.end(), cursor->name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    cursor->width = width;
    cursor->height = height;
    cursor->hotX = read16(p);
    cursor->hotY = read16(p + 2);
    const std::uint8_t *xorBits = p + offset;
    const std::uint8_t *andBits = xorBits + stride * std::size_t(height);
    for (int y = 0; y < height; ++y) {
        std::size_t row = stride * std::size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            cursor->xorMask.push_back((xorBits[row + std::size_t(x >> 3)] >> (7 - (x & 7))) & 1);
            cursor->andMask.push_back((andBits[row + std::size_t(x >> 3)] >> (7 - (x & 7))) & 1);
        }
    }
    return cursor;
}

// Reads one image of an icon: a DIB with a colour table, its height doubled for the AND mask
// that follows the colour bits.
std::optional<Icon::Image> readIconImage(const Entry &image)
{
    if (image.size < sizeof(BITMAPINFOHEADER))
        return std::nullopt;
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data, sizeof header);
    int depth = header.biBitCount, width = header.biWidth, height = header.biHeight / 2;
    if ((depth != 1 && depth != 4 && depth != 8) || header.biSize < sizeof header || width <= 0 || width > 256 ||
        height <= 0 || height > 256)
        return std::nullopt;
    std::size_t colours = header.biClrUsed ? std::min<std::size_t>(header.biClrUsed, 1u << depth) : 1u << depth;
    std::size_t stride = ((std::size_t(width) * std::size_t(depth) + 31) / 32) * 4;
    std::size_t maskStride = ((std::size_t(width) + 31) / 32) * 4;
    std::size_t offset = header.biSize + colours * 4;
    if (image.size < offset + (stride + maskStride) * std::size_t(height))
        return std::nullopt;
    const std::uint8_t *table = image.data + header.biSize;
    const std::uint8_t *bits = image.data + offset;
    const std::uint8_t *mask = bits + stride * std::size_t(height);
    Icon::Image out{width, height, {}};
    for (int y = 0; y < height; ++y) {
        std::size_t row = std::size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::size_t bit = std::size_t(x) * std::size_t(depth);
            std::size_t index = (bits[row * stride + bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
            bool transparent = (mask[row * maskStride + std::size_t(x / 8)] >> (7 - x % 8)) & 1;
            const std::uint8_t *bgr = table + std::min(index, colours - 1) * 4;
            out.argb.push_back(transparent ? 0 : 0xFF000000u | (std::uint32_t(bgr[2]) << 16) | (bgr[1] << 8) | bgr[0]);
        }
    }
    return out;
}

// The images an icon group lists (six bytes of header, then fourteen for each image, its
// resource id last), those the layer can read.
std::vector<Icon::Image> readIconGroup(const Entry &group)
{
    std::vector<Icon::Image> images;
    if (group.size < 6 || read16(group.data + 2) != 1)
        return images;
    std::size_t count = std::min<std::size_t>(read16(group.data + 4), (group.size - 6) / 14);
    for (std::size_t i = 0; i < count; ++i) {
        const Entry *image = find(Id{3, {}}, Id{read16(group.data + 6 + 14 * i + 12), {}});
        if (auto read = image ? readIconImage(*image) : std::nullopt)
            images.push_back(std::move(*read));
    }
    return images;
}

} // namespace

HINSTANCE moduleInstance()
{
    // The classic image base: a value no handle of the table can take.
    return reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000});
}

void useResources(std::span<const std::uint8_t> resFile)
{
    Resources &r = resources();
    std::lock_guard lock(r.mutex);
    r.entries = parse(resFile);
    r.cursors.clear();
    r.icons.clear();
}

bool breakResource(LPCSTR type, LPCSTR name, ResourceFault fault)
{
    auto typeId = idFromArgument(type), nameId = idFromArgument(name);
    Resources &r = resources();
    std::lock_guard lock(r.mutex);
    const Entry *entry = typeId && nameId ? find(*typeId, *nameId) : nullptr;
    if (!entry)
        return false;
    auto at = r.entries.begin() + (entry - r.entries.data());
    if (fault == ResourceFault::Hidden) {
        r.entries.erase(at);
        return true;
    }
    auto &bytes = r.corrupted.emplace_back(at->data, at->data + at->size);
    for (auto &byte : bytes)
        byte = std::uint8_t(~byte);
    at->data = bytes.data();
    return true;
}

} // namespace win32

using namespace win32;

extern "C" HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    auto nameId = idFromArgument(name);
    auto typeId = idFromArgument(type);
    if (!moduleAccepted(module) || !nameId || !typeId)
        return nullptr;
    std::lock_guard lock(resources().mutex);
    return reinterpret_cast<HRSRC>(const_cast<Entry *>(find(*typeId, *nameId)));
}

extern "C" HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC handle)
{
    if (!moduleAccepted(module))
        return nullptr;
    std::lock_guard lock(resources().mutex);
    const Entry *entry = entryFrom(handle);
    return entry ? const_cast<std::uint8_t *>(entry->data) : nullptr;
}

// Loaded resource data stays where it is, so locking only hands back the pointer.
extern "C" LPVOID WINAPI LockResource(HGLOBAL data)
{
    return data;
}

extern "C" DWORD WINAPI SizeofResource(HMODULE module, HRSRC handle)
{
    if (!moduleAccepted(module))
        return 0;
    std::lock_guard lock(resources().mutex);
    const Entry *entry = entryFrom(handle);
    return entry ? entry->size : 0;
}

// Like Windows, the same cursor or icon comes back as the same handle every time.
extern "C" HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    auto id = idFromArgument(name);
    if (!id)
        return nullptr;
    Resources &r = resources();
    std::lock_guard lock(r.mutex);
    if (!instance) {
        if (id->ordinal != 32512)
            return nullptr;
        auto &arrow = r.cursors["arrow"];
        if (!arrow) {
            auto cursor = std::make_shared<Cursor>();
            cursor->name = "arrow";
            cursor->stock = true;
            arrow = addHandle<HCURSOR>(cursor);
        }
        return arrow;
    }
    if (instance != moduleInstance())
        return nullptr;
    auto &cached = r.cursors["res:" + keyOf(*id)];
    if (!cached) {
        auto cursor = loadCursorResource(*id);
        if (!cursor)
            return nullptr;
        cursor->stock = true;
        cached = addHandle<HCURSOR>(cursor);
    }
    return cached;
}

extern "C" HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    auto id = idFromArgument(name);
    if (!id || instance != moduleInstance())
        return nullptr;
    Resources &r = resources();
    std::lock_guard lock(r.mutex);
    auto &cached = r.icons[keyOf(*id)];
    if (!cached) {
        const Entry *group = find(Id{14, {}}, *id);
        if (!group)
            return nullptr;
        auto icon = std::make_shared<Icon>();
        icon->name = keyOf(*id);
        icon->images = readIconGroup(*group);
        icon->stock = true;
        cached = addHandle<HICON>(icon);
    }
    return cached;
}
