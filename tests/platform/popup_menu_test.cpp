// The popup menu's layout, placement, hit testing, keyboard and pointer rules and painting.
#include "../../platform/desktop/popup_menu.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

using desktop::PopupMenu;
using win32::Menu;
using win32::MenuInput;
using win32::MenuState;

// 0 "Tell a friend", 1 separator, 2 grayed "Print", 3 the site's address, 4 "E&xit".
const std::vector<Menu::Item> kItems = {{"Tell a friend", 40001, 0, nullptr},
                                        {"", 0, MF_SEPARATOR, nullptr},
                                        {"Print", 40004, MF_GRAYED, nullptr},
                                        {"howdy-partner.example/lsd.html ", 40002, 0, nullptr},
                                        {"E&xit", 40003, 0, nullptr}};

std::unique_ptr<Menu> menuOf(std::vector<Menu::Item> items = kItems)
{
    auto menu = std::make_unique<Menu>();
    menu->items = std::move(items);
    return menu;
}

PopupMenu popup(std::vector<Menu::Item> items = kItems)
{
    return PopupMenu(*menuOf(std::move(items)));
}

// The middle of item `index`'s row, found by scanning down the menu's middle column.
POINT middleOf(const PopupMenu &menu, int index)
{
    int first = -1, last = -1;
    for (int y = 0; y < menu.size().height; ++y)
        if (menu.itemAt(POINT{menu.size().width / 2, y}) == index) {
            first = first < 0 ? y : first;
            last = y;
        }
    return POINT{menu.size().width / 2, (first + last) / 2};
}

TEST(PopupMenu, RowsStackInsideTheBorderAndTheWidestCaptionSetsTheWidth)
{
    PopupMenu menu = popup();
    auto [width, height] = menu.size();
    // Down the middle column: border and padding, the rows without gaps, border and padding.
    std::vector<int> seen, rowHeight(5);
    for (int y = 0; y < height; ++y) {
        int item = menu.itemAt(POINT{width / 2, y});
        if (seen.empty() || seen.back() != item)
            seen.push_back(item);
        if (item >= 0)
            ++rowHeight[std::size_t(item)];
    }
    EXPECT_EQ(seen, (std::vector<int>{-1, 0, 1, 2, 3, 4, -1}));
    // Text rows are of one height, taller than a separator's, and a line of text fits in them.
    EXPECT_EQ(rowHeight, (std::vector<int>{rowHeight[0], rowHeight[1], rowHeight[0], rowHeight[0], rowHeight[0]}));
    EXPECT_GT(rowHeight[0], rowHeight[1]);
    EXPECT_GE(rowHeight[0], 16);

    PopupMenu narrow = popup({{"Exit", 1, 0, nullptr}});
    EXPECT_GT(width, narrow.size().width);
    EXPECT_LT(narrow.size().height, height);
    EXPECT_EQ(popup({{"&Exit", 1, 0, nullptr}}).size().width, narrow.size().width);
}

TEST(PopupMenu, PlacementKeepsTheMenuOnTheMonitor)
{
    const RECT monitor{100, 50, 1100, 850};
    const struct {
        PopupMenu::Size size;
        POINT at, expected;
    } cases[] = {
        {{200, 120}, {500, 400}, {500, 400}},  // room right and below
        {{200, 120}, {1000, 400}, {800, 400}}, // flipped left of the point
        {{200, 120}, {1100, 849}, {900, 729}}, // bottom-right corner: flipped both ways
        {{200, 120}, {1099, 60}, {899, 60}},
        {{200, 120}, {150, 800}, {150, 680}},  // flipped above
        {{200, 120}, {100, 50}, {100, 50}},    // the corner itself
        {{200, 120}, {900, 730}, {900, 730}},  // right of and below the point exactly
        {{900, 700}, {1000, 750}, {100, 50}},  // left of and above it exactly
        // Larger than the room either side of the point: against the far edge, never off the near one.
        {{600, 120}, {600, 60}, {500, 60}},
        {{2000, 2000}, {600, 60}, {100, 50}},
    };
    for (const auto &c : cases) {
        POINT at = PopupMenu::place(c.size, c.at, monitor);
        EXPECT_EQ(std::pair(at.x, at.y), std::pair(c.expected.x, c.expected.y)) << c.at.x << "," << c.at.y;
    }
}

// A one-pixel border, and three pixels of padding above the first row and below the last; the
// highlight fills its row but for two pixels each side, where the row still takes the pointer.
TEST(PopupMenu, BorderPaddingAndHighlightOnEverySide)
{
    using Runs = std::vector<std::pair<std::uint32_t, int>>;
    const std::uint32_t border = 0x8A8A8A, background = 0xF7F7F7, lit = 0x2F6FD0;
    PopupMenu menu = popup({{"A", 1, 0, nullptr}, {"B", 2, 0, nullptr}});
    auto [width, height] = menu.size();
    int row = (height - 8) / 2;
    std::vector<std::uint32_t> pixels(std::size_t(width * height));
    // The runs of one colour along `count` pixels from (x, y), a step (dx, dy) apart.
    auto runs = [&](int x, int y, int dx, int dy, int count) {
        Runs found;
        for (int i = 0; i < count; ++i, x += dx, y += dy) {
            if (found.empty() || found.back().first != pixels[std::size_t(y * width + x)])
                found.emplace_back(pixels[std::size_t(y * width + x)], 0);
            ++found.back().second;
        }
        return found;
    };
    for (int highlighted : {0, 1}) {
        menu.paint(win32::Surface{reinterpret_cast<std::uint8_t *>(pixels.data()), width, height, width * 4, 32},
                   highlighted);
        int top = 4 + highlighted * row, below = height - top - row;
        EXPECT_EQ(runs(0, top, 1, 0, width), (Runs{{border, 1}, {background, 2}, {lit, width - 6}, {background, 2},
                                                  {border, 1}}));
        EXPECT_EQ(runs(3, 0, 0, 1, height),
                  (Runs{{border, 1}, {background, top - 1}, {lit, row}, {background, below - 1}, {border, 1}}));
        EXPECT_EQ(std::vector<int>({menu.itemAt({1, top - 1}), menu.itemAt({1, top}), menu.itemAt({0, top}),
                                    menu.itemAt({width - 2, top + row - 1}), menu.itemAt({width - 2, top + row}),
                                    menu.itemAt({width - 1, top})}),
                  std::vector<int>({highlighted - 1, highlighted, -1, highlighted, highlighted ? -1 : 1, -1}));
    }
}

// Keys move the highlight over choosable items only, wrapping; Enter chooses the highlighted one;
// Escape or a press outside, on any side, dismisses. A click chooses the item under the pointer,
// but a separator, a grayed item or the border is neither highlighted nor chosen. A closed menu
// takes no more input. Pointer input goes through the look, which knows where the rows are.
TEST(PopupMenu, KeysAndThePointerChooseOnlyChoosableItems)
{
    using Pointer = PopupMenu::Pointer;
    const PopupMenu look = popup();
    auto [width, height] = look.size();
    POINT first = middleOf(look, 0);
    // Up, Down, Home, End, Return and eXit (Escape) are keys; 0 to 4 click that item, 'b' the top
    // border; 'l', 't', 'r' and 's' press outside, left, top, right and below.
    const std::map<char, WPARAM> keys = {{'U', VK_UP},  {'D', VK_DOWN},     {'H', VK_HOME},
                                         {'E', VK_END}, {'R', VK_RETURN},   {'X', VK_ESCAPE}};
    const std::map<char, POINT> outside = {{'l', {-1, 5}}, {'t', {5, -1}}, {'r', {width, 5}}, {'s', {5, height}}};
    const struct {
        std::string input;
        int highlighted; // when still open
        bool closed;
        UINT command;
    } cases[] = {
        {"", -1, false, 0},     {"D", 0, false, 0},  {"U", 4, false, 0},  {"DD", 3, false, 0},   {"DDD", 4, false, 0},
        {"DDDD", 0, false, 0},  {"DU", 4, false, 0}, {"EU", 3, false, 0}, {"EUU", 0, false, 0},  {"EH", 0, false, 0},
        {"ER", 0, true, 40003}, {"R", -1, false, 0}, {"DX", 0, true, 0},  {"3", 0, true, 40002}, {"1", -1, false, 0},
        {"2", -1, false, 0},    {"b", -1, false, 0}, {"Dl", 0, true, 0},  {"Dt", 0, true, 0},    {"Dr", 0, true, 0},
        {"Ds", 0, true, 0},
    };
    for (const auto &c : cases) {
        MenuState menu(*menuOf());
        for (char step : c.input) {
            if (keys.count(step)) {
                menu.apply(MenuInput{MenuInput::Kind::Key, -1, false, keys.at(step)});
            } else if (outside.count(step)) {
                menu.apply(look.input(Pointer::Pressed, outside.at(step)));
            } else {
                POINT at = step == 'b' ? POINT{width / 2, 0} : middleOf(look, step - '0');
                menu.apply(look.input(Pointer::Moved, first));
                EXPECT_FALSE(menu.apply(look.input(Pointer::Pressed, at)));
                EXPECT_TRUE(menu.apply(look.input(Pointer::Moved, at)));
                menu.apply(look.input(Pointer::LeftReleased, at));
            }
        }
        if (menu.closed())
            EXPECT_FALSE(menu.apply(MenuInput{MenuInput::Kind::Key, -1, false, VK_DOWN}) ||
                         menu.apply(look.input(Pointer::LeftReleased, first)))
                << c.input;
        else
            EXPECT_EQ(menu.highlighted(), c.highlighted) << c.input;
        EXPECT_EQ(std::pair(menu.closed(), menu.command()), std::pair(c.closed, c.command)) << c.input;
    }
    MenuState grayedOnly(*menuOf({{"", 0, MF_SEPARATOR, nullptr}, {"Print", 4, MF_GRAYED, nullptr}}));
    EXPECT_FALSE(grayedOnly.apply(MenuInput{MenuInput::Kind::Key, -1, false, VK_DOWN}));
    EXPECT_EQ(grayedOnly.highlighted(), -1);
}

// The frame, the captions' rows and the highlight under the pointer are read off the screen by
// the X11 and Wayland show checks; here, each caption's band holds pixels darker than mid grey,
// and anti-aliased ones between.
TEST(PopupMenu, PaintDrawsTheCaptionsSmoothly)
{
    PopupMenu menu = popup();
    auto [width, height] = menu.size();
    std::vector<std::uint32_t> pixels(std::size_t(width * height));
    menu.paint(win32::Surface{reinterpret_cast<std::uint8_t *>(pixels.data()), width, height, width * 4, 32}, -1);
    for (int index : {0, 3, 4}) {
        int dark = 0, between = 0;
        for (int y = middleOf(menu, index).y - 8; y <= middleOf(menu, index).y + 8; ++y)
            for (int x = 2; x < width - 2; ++x) {
                std::uint32_t green = (pixels[std::size_t(y * width + x)] >> 8) & 0xFF;
                dark += green < 0x80;
                between += green > 0x30 && green < 0xE0;
            }
        EXPECT_GT(dark, 20) << "caption " << index;
        EXPECT_GT(between, 10) << "caption " << index;
    }
}

} // namespace
