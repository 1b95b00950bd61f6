// The popup menu's layout and painting, with FreeType and fontconfig.
#include "popup_menu.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace desktop {

namespace {

// The look, in pixels and 0xRRGGBB pixels.
constexpr int kFontPixels = 13;
constexpr int kBorder = 1;
constexpr int kPadY = 3;           // between the border and the first and last rows
constexpr int kRowExtra = 10;      // a row is the font's line and this much
constexpr int kSeparatorHeight = 9;
constexpr int kTextLeft = 24;
constexpr int kTextRight = 28;
constexpr int kHighlightInset = 2; // the highlight's gap to the border, left and right
constexpr int kMinWidth = 140;
constexpr std::uint32_t kBackground = 0xF7F7F7;
constexpr std::uint32_t kBorderColour = 0x8A8A8A;
constexpr std::uint32_t kText = 0x1A1A1A;
constexpr std::uint32_t kGrayedText = 0x9A9A9A;
constexpr std::uint32_t kHighlight = 0x2F6FD0;
constexpr std::uint32_t kHighlightedText = 0xFFFFFF;
constexpr std::uint32_t kSeparator = 0xD0D0D0;

// The caption as shown: "&x" marks x as the access key, "&&" stands for "&".
std::string shownCaption(const std::string &text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

void fillRect(const win32::Surface &into, int left, int top, int right, int bottom, std::uint32_t colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, into.width);
    bottom = std::min(bottom, into.height);
    for (int y = top; y < bottom; ++y)
        std::fill(into.pixels(y) + left, into.pixels(y) + std::max(left, right), colour);
}

// `colour` laid over `pixel` with coverage `alpha` of 255.
std::uint32_t blend(std::uint32_t pixel, std::uint32_t colour, unsigned alpha)
{
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned under = (pixel >> shift) & 0xFF, over = (colour >> shift) & 0xFF;
        out |= std::uint32_t((over * alpha + under * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

} // namespace

// The menu's font: DejaVu Sans, or what fontconfig offers in its place. Without any font the
// rows keep their height and show no captions.
struct PopupMenu::Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int ascent = 12;
    int descent = 3;

    Font()
    {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            return;
        }
        FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("DejaVu Sans"));
        if (!pattern)
            return;
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern *match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match)
            return;
        FcChar8 *file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            if (FT_New_Face(library, reinterpret_cast<const char *>(file), index, &face) != 0 ||
                FT_Set_Pixel_Sizes(face, 0, kFontPixels) != 0) {
                if (face)
                    FT_Done_Face(face);
                face = nullptr;
            }
        }
        FcPatternDestroy(match);
        if (face) {
            ascent = int((face->size->metrics.ascender + 63) >> 6);
            descent = int((-face->size->metrics.descender + 63) >> 6);
        }
    }

    ~Font()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    // Lays out `text` (Latin-1) from pen position 0 and calls draw(glyph slot, pen x in pixels)
    // for each glyph when it is given; returns the advance in pixels.
    template <class Draw>
    int layOut(const std::string &text, Draw draw) const
    {
        if (!face)
            return 0;
        FT_Pos pen = 0; // 26.6
        FT_UInt previous = 0;
        for (unsigned char c : text) {
            FT_UInt glyph = FT_Get_Char_Index(face, c);
            if (previous && glyph && FT_HAS_KERNING(face)) {
                FT_Vector kerning{};
                FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
                pen += kerning.x;
            }
            if (FT_Load_Glyph(face, glyph, FT_LOAD_TARGET_LIGHT) != 0)
                continue;
            draw(face->glyph, int((pen + 32) >> 6));
            pen += face->glyph->advance.x;
            previous = glyph;
        }
        return int((pen + 63) >> 6);
    }

    int width(const std::string &text) const
    {
        return layOut(text, [](FT_GlyphSlot, int) {});
    }

    // Draws `text` with its origin at (x, baseline), anti-aliased, clipped to `clip` and `into`.
    void draw(const win32::Surface &into, const RECT &clip, int x, int baseline, const std::string &text,
              std::uint32_t colour) const
    {
        layOut(text, [&](FT_GlyphSlot slot, int penX) {
            if (FT_Render_Glyph(slot, FT_RENDER_MODE_LIGHT) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
                return;
            const FT_Bitmap &bitmap = slot->bitmap;
            int left = x + penX + slot->bitmap_left, top = baseline - slot->bitmap_top;
            for (int row = 0; row < int(bitmap.rows); ++row) {
                int y = top + row;
                if (y < std::max<int>(clip.top, 0) || y >= std::min<int>(clip.bottom, into.height))
                    continue;
                const unsigned char *coverage = bitmap.buffer + row * bitmap.pitch;
                for (int col = 0; col < int(bitmap.width); ++col) {
                    int px = left + col;
                    if (coverage[col] && px >= std::max<int>(clip.left, 0) &&
                        px < std::min<int>(clip.right, into.width))
                        into.pixels(y)[px] = blend(into.pixels(y)[px], colour, coverage[col]);
                }
            }
        });
    }
};

PopupMenu::PopupMenu(const win32::Menu &menu) : font_(std::make_unique<Font>())
{
    int lineHeight = font_->ascent + font_->descent;
    int rowHeight = lineHeight + kRowExtra;
    baseline_ = kRowExtra / 2 + font_->ascent;
    int width = kMinWidth, y = kBorder + kPadY;
    for (const auto &item : menu.items) {
        Row row;
        row.separator = item.flags & MF_SEPARATOR;
        row.grayed = item.flags & (MF_GRAYED | MF_DISABLED);
        row.caption = row.separator ? std::string() : shownCaption(item.text);
        row.top = y;
        row.height = row.separator ? kSeparatorHeight : rowHeight;
        y += row.height;
        width = std::max(width, kBorder + kTextLeft + font_->width(row.caption) + kTextRight + kBorder);
        rows_.push_back(std::move(row));
    }
    size_ = Size{width, y + kPadY + kBorder};
}

PopupMenu::~PopupMenu() = default;

POINT PopupMenu::place(Size size, POINT at, const RECT &bounds)
{
    auto axis = [](LONG at, LONG extent, LONG low, LONG high) {
        if (at + extent <= high)
            return std::max(at, low);
        if (at - extent >= low)
            return at - extent;
        return std::max(low, high - extent);
    };
    return POINT{axis(at.x, size.width, bounds.left, bounds.right), axis(at.y, size.height, bounds.top, bounds.bottom)};
}

void PopupMenu::paint(const win32::Surface &into, int highlighted) const
{
    int width = size_.width, height = size_.height;
    fillRect(into, 0, 0, width, height, kBorderColour);
    fillRect(into, kBorder, kBorder, width - kBorder, height - kBorder, kBackground);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row &row = rows_[i];
        if (row.separator) {
            int middle = row.top + row.height / 2;
            fillRect(into, kBorder + kHighlightInset, middle, width - kBorder - kHighlightInset, middle + 1,
                     kSeparator);
            continue;
        }
        bool lit = int(i) == highlighted;
        RECT area{kBorder + kHighlightInset, row.top, width - kBorder - kHighlightInset, row.top + row.height};
        if (lit)
            fillRect(into, area.left, area.top, area.right, area.bottom, kHighlight);
        std::uint32_t colour = lit ? kHighlightedText : row.grayed ? kGrayedText : kText;
        font_->draw(into, area, kBorder + kTextLeft, row.top + baseline_, row.caption, colour);
    }
}

bool PopupMenu::contains(POINT point) const
{
    return point.x >= 0 && point.y >= 0 && point.x < size_.width && point.y < size_.height;
}

int PopupMenu::itemAt(POINT point) const
{
    if (point.x < kBorder || point.x >= size_.width - kBorder)
        return -1;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (point.y >= rows_[i].top && point.y < rows_[i].top + rows_[i].height)
            return int(i);
    return -1;
}

win32::MenuInput PopupMenu::input(Pointer what, POINT point) const
{
    using Kind = win32::MenuInput::Kind;
    switch (what) {
    case Pointer::Moved:
        return win32::MenuInput{Kind::Pointer, itemAt(point)};
    case Pointer::Pressed:
        return win32::MenuInput{Kind::Press, -1, contains(point)};
    case Pointer::LeftReleased:
        return win32::MenuInput{Kind::Release, itemAt(point)};
    }
    return {};
}

} // namespace desktop
