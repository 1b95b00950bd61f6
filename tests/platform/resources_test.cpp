// Resource lookup over a .res image: names without regard to case, ordinals, sizes, cursors,
// and refusals of what is not there.
#include "../support/res_builder.h"

#include "../../platform/core/resources.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> bytes(const char *text)
{
    return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

// A 1-bit 32 x 32 cursor image: hot spot, header, two colours, XOR and AND masks bottom-up.
std::vector<std::uint8_t> cursorImage(int hotX, int hotY)
{
    std::vector<std::uint8_t> image;
    image.reserve(4 + sizeof(BITMAPINFOHEADER) + 8 + 256);
    image.insert(image.end(), {std::uint8_t(hotX), 0, std::uint8_t(hotY), 0});
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = 32;
    header.biHeight = 64;
    header.biPlanes = 1;
    header.biBitCount = 1;
    auto *raw = reinterpret_cast<const std::uint8_t *>(&header);
    image.insert(image.end(), raw, raw + sizeof header);
    const std::uint8_t palette[] = {0, 0, 0, 0, 255, 255, 255, 0};
    image.insert(image.end(), std::begin(palette), std::end(palette));
    std::vector<std::uint8_t> xorMask(128, 0), andMask(128, 0xFF);
    // Top-left pixel (the last stored row) white and opaque.
    xorMask[31 * 4] = 0x80;
    andMask[31 * 4] = 0x7F;
    image.insert(image.end(), xorMask.begin(), xorMask.end());
    image.insert(image.end(), andMask.begin(), andMask.end());
    return image;
}

std::vector<std::uint8_t> cursorGroup()
{
    // Reserved, type 2, one entry: 32 x 64, 1 plane, 1 bit, size, image id 1.
    return {0, 0, 2, 0, 1, 0, 32, 0, 64, 0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0};
}

class Resources : public testing::Test {
protected:
    void SetUp() override
    {
        res.add("PNG", 113, bytes("walk"))
            .add("WAVE", "QUACK1", bytes("quack!"))
            .add(1, 1, cursorImage(3, 5))
            .add(12, "HAND", cursorGroup())
            .add(14, 132, {0, 0, 1, 0, 0, 0});
        win32::useResources(res.bytes());
    }
    ResBuilder res;
};

TEST_F(Resources, FindsByOrdinalAndByNameWithoutCase)
{
    HMODULE self = win32::moduleInstance();
    HRSRC png = FindResourceA(nullptr, MAKEINTRESOURCEA(113), "PNG");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, png), 4u);
    EXPECT_EQ(std::memcmp(LockResource(LoadResource(self, png)), "walk", 4), 0);
    EXPECT_EQ(FindResourceA(self, "#113", "png"), png);

    HRSRC wave = FindResourceA(nullptr, "Quack1", "wave");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, wave), 6u);
}

TEST_F(Resources, RefusesWhatIsNotThere)
{
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(114), "PNG"), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "QUACK1", "PNG"), nullptr);
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x1234), MAKEINTRESOURCEA(113), "PNG"), nullptr);
    HRSRC bogus = reinterpret_cast<HRSRC>(&res);
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
}

TEST_F(Resources, CursorsComeFromTheirGroupAndStayTheSameHandle)
{
    HCURSOR hand = LoadCursorA(win32::moduleInstance(), "Hand");
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(LoadCursorA(win32::moduleInstance(), "HAND"), hand);
    auto cursor = win32::handles().find<win32::Cursor>(hand);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->name, "hand");
    EXPECT_EQ(cursor->width, 32);
    EXPECT_EQ(cursor->height, 32);
    EXPECT_EQ(cursor->hotX, 3);
    EXPECT_EQ(cursor->hotY, 5);
    EXPECT_EQ(cursor->xorMask[0], 1);
    EXPECT_EQ(cursor->andMask[0], 0);
    EXPECT_EQ(cursor->andMask[1], 1);

    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(LoadCursorA(win32::moduleInstance(), "Pointer"), nullptr);
    EXPECT_NE(LoadIconA(win32::moduleInstance(), MAKEINTRESOURCEA(132)), nullptr);
    EXPECT_EQ(LoadIconA(win32::moduleInstance(), MAKEINTRESOURCEA(133)), nullptr);
}

TEST(EmbeddedResources, EverythingTheScriptNamesIsLinkedIn)
{
    HMODULE self = win32::moduleInstance();
    for (int id : {113, 114, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 130}) {
        HRSRC sheet = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "PNG");
        ASSERT_NE(sheet, nullptr) << id;
        EXPECT_EQ(std::memcmp(LockResource(LoadResource(nullptr, sheet)), "\x89PNG", 4), 0) << id;
    }
    for (const char *sound : {"Quack1", "Quack2", "Elephant", "Cannon"})
        EXPECT_NE(FindResourceA(nullptr, sound, "WAVE"), nullptr) << sound;
    EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(126), RT_MENU), nullptr);
    EXPECT_NE(LoadIconA(self, MAKEINTRESOURCEA(132)), nullptr);

    auto hand = win32::handles().find<win32::Cursor>(LoadCursorA(self, "Hand"));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->width, 32);
    EXPECT_EQ(hand->height, 32);
    EXPECT_EQ(hand->hotX, 0);
    EXPECT_EQ(hand->hotY, 0);
}

TEST(BrokenResourceFiles, TruncatedEntriesAreIgnored)
{
    ResBuilder res;
    res.add("PNG", 1, bytes("abcdefgh"));
    std::vector<std::uint8_t> cut(res.bytes().begin(), res.bytes().end() - 6);
    win32::useResources(cut);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(1), "PNG"), nullptr);
    std::vector<std::uint8_t> garbage(64, 0xFF);
    win32::useResources(garbage);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(1), "PNG"), nullptr);
}

} // namespace
