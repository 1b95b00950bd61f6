// Resource lookup over a .res image: names without regard to case, ordinals, sizes, cursors,
// refusals of what is not there, and PlaySoundA over the WAVE resources.
#include "../support/res_builder.h"
#include "../support/screenless_backend.h"

#include "../../platform/core/menus.h"
#include "../../platform/core/resources.h"

#include <mmsystem.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator<<(Bytes out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
    return out;
}

// A RIFF chunk, padded to an even length.
Bytes chunk(const char *id, const Bytes &body)
{
    Bytes out = bytes({id, 4}) << std::uint32_t(body.size());
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2)
        out.push_back(0);
    return out;
}

// A WAVE file: the chunk given first, if any, then a PCM format and the samples.
Bytes wave(int channels, int rate, int bits, const Bytes &samples, const Bytes &first = {})
{
    int block = channels * bits / 8;
    Bytes format = Bytes{} << (1 | channels << 16) << rate << rate * block << (block | bits << 16);
    Bytes body = bytes("WAVE");
    for (const Bytes &c : {first, chunk("fmt ", format), chunk("data", samples)})
        body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

class Resources : public testing::Test {
protected:
    void SetUp() override
    {
        // A 1-bit 32 x 32 cursor image: hot spot, header, two colours, XOR and AND masks bottom-up,
        // where only the top-left pixel (the last stored row) is white and opaque; and its group:
        // reserved, type 2, one entry: 32 x 64, 1 plane, 1 bit, size, image id 1.
        Bytes cursor = Bytes{} << (3 | 5 << 16) << 40 << 32 << 64 << (1 | 1 << 16) << 0 << 0 << 0 << 0 << 0 << 0
                               << 0 << 0xFFFFFF;
        cursor.insert(cursor.end(), 124, 0);
        cursor.insert(cursor.end(), {0x80, 0, 0, 0});
        cursor.insert(cursor.end(), 124, 0xFF);
        cursor.insert(cursor.end(), {0x7F, 0xFF, 0xFF, 0xFF});
        res.add("PNG", 113, bytes("walk"))
            .add("WAVE", "QUACK1", quack)
            .add(1, 1, cursor)
            .add(12, "HAND", {0, 0, 2, 0, 1, 0, 32, 0, 64, 0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0})
            .add(14, 132, {0, 0, 1, 0, 0, 0})
            .add("WAVE", 123, wave(1, 11025, 8, {9, 8, 7}))
            .add("WAVE", "ODD", wave(1, 8000, 8, {5, 6}, chunk("LIST", {1, 2, 3})))
            .add("WAVE", "BROKEN", bytes("RIFF?"));
        win32::useResources(res.bytes());
    }
    const Bytes quack = wave(2, 22050, 16, {1, 2, 3, 4, 5, 6, 7, 8});
    ResBuilder res;
};

TEST_F(Resources, FoundByOrdinalAndByNameWithoutCaseAndNothingElse)
{
    HMODULE self = win32::moduleInstance();
    HRSRC png = FindResourceA(nullptr, MAKEINTRESOURCEA(113), "PNG");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, png), 4u);
    EXPECT_EQ(std::memcmp(LockResource(LoadResource(self, png)), "walk", 4), 0);
    EXPECT_EQ(FindResourceA(self, "#113", "png"), png);
    EXPECT_EQ(SizeofResource(nullptr, FindResourceA(nullptr, "Quack1", "wave")), quack.size());
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(114), "PNG"), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "QUACK1", "PNG"), nullptr);
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x1234), MAKEINTRESOURCEA(113), "PNG"), nullptr);
    // Handles forged around real ones: one past the last, one before the first, between two.
    auto first = reinterpret_cast<std::uintptr_t>(png);
    auto step = reinterpret_cast<std::uintptr_t>(FindResourceA(nullptr, "QUACK1", "WAVE")) - first;
    auto last = reinterpret_cast<std::uintptr_t>(FindResourceA(nullptr, "BROKEN", "WAVE"));
    for (std::uintptr_t forged : {last + step, first - step, first + 1, std::uintptr_t(&res), std::uintptr_t(0)}) {
        EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(forged)), nullptr) << forged - first;
        EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(forged)), 0u) << forged - first;
    }

    // Cursors come from their group, and the same one is the same handle every time.
    HCURSOR hand = LoadCursorA(self, "Hand");
    EXPECT_EQ(LoadCursorA(self, "HAND"), hand);
    auto cursor = win32::handles().find<win32::Cursor>(hand);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->name, "hand");
    EXPECT_EQ(std::vector<int>({cursor->width, cursor->height, cursor->hotX, cursor->hotY, cursor->xorMask[0],
                                cursor->andMask[0], cursor->andMask[1]}),
              std::vector<int>({32, 32, 3, 5, 1, 0, 1}));
    EXPECT_EQ(LoadCursorA(self, "Pointer"), nullptr);
    EXPECT_NE(LoadIconA(self, MAKEINTRESOURCEA(132)), nullptr);
    EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(133)), nullptr);

    // A truncated entry, or garbage, holds nothing.
    Bytes cut(res.bytes().begin(), res.bytes().end() - 6);
    Bytes garbage(64, 0xFF);
    for (const Bytes *file : {&cut, &garbage}) {
        win32::useResources(*file);
        EXPECT_EQ(FindResourceA(nullptr, "BROKEN", "WAVE"), nullptr);
    }
}

// A menu as "caption/command/flags" items, a pop-up's own in brackets after it.
std::string describe(HMENU handle)
{
    std::string text;
    auto menu = win32::handles().find<win32::Menu>(handle);
    for (int i = 0; menu && i < int(menu->items.size()); ++i) {
        const auto &item = menu->items[std::size_t(i)];
        text += item.text + "/" + std::to_string(item.command) + "/" + std::to_string(item.flags) + " ";
        if (HMENU popup = GetSubMenu(handle, i))
            text += "[ " + describe(popup) + "] ";
    }
    return text;
}

// Menu templates: pop-ups nest, an item without a caption is a separator (so the resource
// compiler writes one), and a template cut anywhere is refused.
TEST(Menus, NestedPopUpsEmptyCaptionsAndCutTemplates)
{
    const int words[] = {0, 0,                          // version 0, no header bytes
                         MF_POPUP, 0,                   // a pop-up without a caption:
                         0, 7, 'A', 0,                  //   "A", command 7
                         MF_POPUP, 'B', 0,              //   "B", a pop-up:
                         MF_END, 8, 0,                  //     no caption, command 8
                         MF_END | MF_GRAYED, 9, 'C', 0, //   "C", command 9, grayed
                         MF_END, 10, 'Z', 0};           // "Z", command 10
    Bytes menu;
    for (int word : words)
        menu.insert(menu.end(), {std::uint8_t(word), std::uint8_t(word >> 8)});
    std::string expected = "/0/16 [ A/7/0 B/0/16 [ /8/2048 ] C/9/1 ] Z/10/0 ";
    for (; !menu.empty(); menu.pop_back(), expected.clear()) {
        const ResBuilder resources = ResBuilder().add(4, 126, menu);
        win32::useResources(resources.bytes());
        EXPECT_EQ(describe(LoadMenuA(win32::moduleInstance(), MAKEINTRESOURCEA(126))), expected) << menu.size();
    }
}

// What the backend is asked to play, a line a sound: name, channels/bits/rate and samples.
std::string heard;

struct Speaker : ScreenlessBackend {
    void stopSounds() override { heard += "stop\n"; }
    void playSound(const win32::Wave &w, const std::string &name) override
    {
        heard += name + " " + std::to_string(w.channels) + "/" + std::to_string(w.bitsPerSample) + "/" +
                 std::to_string(w.sampleRate);
        for (std::size_t i = 0; i < w.bytes; ++i)
            heard.append(" ").append(std::to_string(w.samples[i]));
        heard += "\n";
    }
};

TEST_F(Resources, SoundsPlayByNameOrOrdinalAndTheDefaultStandsIn)
{
    win32::installBackend(std::make_unique<Speaker>());
    const DWORD play = SND_RESOURCE | SND_ASYNC;
    const struct {
        const char *what;
        LPCSTR sound;
        DWORD flags;
        BOOL result;
        const char *expected;
    } cases[] = {
        {"a name in another case", "quack1", play, TRUE, "quack1 2/16/22050 1 2 3 4 5 6 7 8\n"},
        {"an ordinal", MAKEINTRESOURCEA(123), play, TRUE, "#123 1/8/11025 9 8 7\n"},
        {"an ordinal by name", "#123", play, TRUE, "#123 1/8/11025 9 8 7\n"},
        {"after an odd-length chunk and its pad byte", "Odd", play, TRUE, "Odd 1/8/8000 5 6\n"},
        {"a missing sound without the default", "Nope", play | SND_NODEFAULT, FALSE, ""},
        {"waiting for the end", "quack1", SND_RESOURCE, FALSE, ""},
        {"no sound stops them all", nullptr, 0, TRUE, "stop\n"},
    };
    for (const auto &c : cases) {
        heard.clear();
        EXPECT_EQ(PlaySoundA(c.sound, nullptr, c.flags), c.result) << c.what;
        EXPECT_EQ(heard, c.expected) << c.what;
    }
}

// The sheets, sounds, menu and hand linked in are checked by the tests that load, play, open and
// show them. The icon's two images, 32 and 16 pixels, are a magenta diamond: clear corners, the
// light facet upper left, the dark one lower right.
TEST(EmbeddedResources, TheIconsImages)
{
    auto icon = win32::handles().find<win32::Icon>(LoadIconA(win32::moduleInstance(), MAKEINTRESOURCEA(132)));
    ASSERT_TRUE(icon && icon->images.size() == 2);
    for (int size : {32, 16}) {
        const auto &image = icon->images[size == 32 ? 0 : 1];
        ASSERT_EQ(std::vector<std::size_t>({std::size_t(image.width), std::size_t(image.height), image.argb.size()}),
                  std::vector<std::size_t>({std::size_t(size), std::size_t(size), std::size_t(size * size)}));
        auto at = [&](int x, int y) { return image.argb[std::size_t(y * size + x)]; };
        int light = size / 2 - 2, dark = size / 2 + size / 8;
        EXPECT_EQ(std::vector<std::uint32_t>({at(0, 0), at(size - 1, size - 1), at(light, light), at(dark, dark)}),
                  std::vector<std::uint32_t>({0, 0, 0xFFEC48DC, 0xFF960A82}))
            << size;
    }
}

} // namespace
