// The popup menu's layout, placement, hit testing, keyboard and pointer rules and painting.
#include "../../platform/core/popup_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using win32::Menu;
using win32::PopupMenu;
using Key = PopupMenu::Key;
using Size = PopupMenu::Size;

std::unique_ptr<Menu> makeMenu(std::vector<Menu::Item> items)
{
    auto menu = std::make_unique<Menu>();
    menu->items = std::move(items);
    return menu;
}

// 0 "Tell a friend", 1 separator, 2 grayed "Print", 3 "howdy-partner.example/lsd.html ", 4 "E&xit".
std::unique_ptr<Menu> sample()
{
    return makeMenu({{"Tell a friend", 40001, 0, nullptr},
                     {"", 0, MF_SEPARATOR, nullptr},
                     {"Print", 40004, MF_GRAYED, nullptr},
                     {"howdy-partner.example/lsd.html ", 40002, 0, nullptr},
                     {"E&xit", 40003, 0, nullptr}});
}

// The middle of item `index`'s row, found by scanning down the menu's middle column.
POINT middleOf(const PopupMenu &menu, int index)
{
    int first = -1, last = -1;
    for (int y = 0; y < menu.size().height; ++y)
        if (menu.itemAt(POINT{menu.size().width / 2, y}) == index) {
            if (first < 0)
                first = y;
            last = y;
        }
    return POINT{menu.size().width / 2, (first + last) / 2};
}

TEST(PopupMenu, RowsStackInsideTheBorderAndTheWidestCaptionSetsTheWidth)
{
    PopupMenu menu(*sample());
    Size size = menu.size();
    // Every point of the border and padding is on no item; rows follow each other without gaps.
    EXPECT_EQ(menu.itemAt(POINT{size.width / 2, 0}), -1);
    EXPECT_EQ(menu.itemAt(POINT{size.width / 2, size.height - 1}), -1);
    EXPECT_EQ(menu.itemAt(POINT{0, middleOf(menu, 0).y}), -1);
    EXPECT_EQ(menu.itemAt(POINT{size.width - 1, middleOf(menu, 0).y}), -1);
    std::vector<int> seen;
    for (int y = 0; y < size.height; ++y)
        if (int item = menu.itemAt(POINT{size.width / 2, y}); item >= 0 && (seen.empty() || seen.back() != item))
            seen.push_back(item);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));

    // Text rows are of one height, taller than a separator's, and a line of text fits in them.
    auto rowHeight = [&](int index) {
        int rows = 0;
        for (int y = 0; y < size.height; ++y)
            rows += menu.itemAt(POINT{size.width / 2, y}) == index;
        return rows;
    };
    EXPECT_EQ(rowHeight(0), rowHeight(3));
    EXPECT_EQ(rowHeight(0), rowHeight(4));
    EXPECT_GT(rowHeight(0), rowHeight(1));
    EXPECT_GE(rowHeight(0), 16);

    PopupMenu narrow(*makeMenu({{"Exit", 1, 0, nullptr}}));
    EXPECT_GT(size.width, narrow.size().width);
    EXPECT_LT(narrow.size().height, size.height);
    EXPECT_EQ(PopupMenu(*makeMenu({{"&Exit", 1, 0, nullptr}})).size().width, narrow.size().width);
}

TEST(PopupMenu, PlacementKeepsTheMenuOnTheMonitor)
{
    const RECT monitor{100, 50, 1100, 850};
    const Size size{200, 120};
    struct Case {
        POINT at, expected;
    } cases[] = {
        {{500, 400}, {500, 400}},   // room right and below
        {{1000, 400}, {800, 400}},  // flipped left of the point
        {{1100, 849}, {900, 729}},  // bottom-right corner: flipped both ways
        {{1099, 60}, {899, 60}},
        {{150, 800}, {150, 680}},   // flipped above
        {{100, 50}, {100, 50}},     // the corner itself
    };
    for (const Case &c : cases) {
        POINT at = PopupMenu::place(size, c.at, monitor);
        EXPECT_EQ(at.x, c.expected.x) << c.at.x << "," << c.at.y;
        EXPECT_EQ(at.y, c.expected.y) << c.at.x << "," << c.at.y;
    }
    // Larger than the room either side of the point: against the far edge, never off the near one.
    POINT wide = PopupMenu::place(PopupMenu::Size{600, 120}, POINT{600, 60}, monitor);
    EXPECT_EQ(wide.x, 500);
    POINT huge = PopupMenu::place(PopupMenu::Size{2000, 2000}, POINT{600, 60}, monitor);
    EXPECT_EQ(huge.x, 100);
    EXPECT_EQ(huge.y, 50);
}

TEST(PopupMenu, KeysVisitOnlyChoosableItems)
{
    struct Case {
        std::vector<Key> keys;
        int highlighted;
    } cases[] = {
        {{}, -1},
        {{Key::Down}, 0},
        {{Key::Up}, 4},
        {{Key::Down, Key::Down}, 3},                   // past the separator and the grayed item
        {{Key::Down, Key::Down, Key::Down}, 4},
        {{Key::Down, Key::Down, Key::Down, Key::Down}, 0}, // wraps
        {{Key::Down, Key::Up}, 4},                     // wraps backwards
        {{Key::End, Key::Up}, 3},
        {{Key::End, Key::Up, Key::Up}, 0},
        {{Key::End, Key::Home}, 0},
    };
    for (const Case &c : cases) {
        PopupMenu menu(*sample());
        for (Key key : c.keys)
            menu.keyPressed(key);
        EXPECT_EQ(menu.highlighted(), c.highlighted) << c.keys.size() << " keys";
        EXPECT_FALSE(menu.closed());
    }
    PopupMenu grayedOnly(*makeMenu({{"", 0, MF_SEPARATOR, nullptr}, {"Print", 4, MF_GRAYED, nullptr}}));
    EXPECT_FALSE(grayedOnly.keyPressed(Key::Down));
    EXPECT_EQ(grayedOnly.highlighted(), -1);
}

TEST(PopupMenu, ChoosingAndDismissing)
{
    PopupMenu byEnter(*sample());
    byEnter.keyPressed(Key::End);
    byEnter.keyPressed(Key::Enter);
    EXPECT_TRUE(byEnter.closed());
    EXPECT_EQ(byEnter.command(), 40003u);

    PopupMenu enterWithout(*sample());
    enterWithout.keyPressed(Key::Enter);
    EXPECT_FALSE(enterWithout.closed());

    PopupMenu byEscape(*sample());
    byEscape.keyPressed(Key::Down);
    byEscape.keyPressed(Key::Escape);
    EXPECT_TRUE(byEscape.closed());
    EXPECT_EQ(byEscape.command(), 0u);

    PopupMenu byClick(*sample());
    POINT site = middleOf(byClick, 3);
    EXPECT_FALSE(byClick.buttonPressed(site));
    EXPECT_TRUE(byClick.pointerMoved(site));
    EXPECT_EQ(byClick.highlighted(), 3);
    byClick.buttonReleased(site);
    EXPECT_TRUE(byClick.closed());
    EXPECT_EQ(byClick.command(), 40002u);

    // A release on the separator, a grayed item or the border chooses nothing; nor does a moved
    // pointer highlight them.
    PopupMenu inert(*sample());
    for (POINT p : {middleOf(inert, 1), middleOf(inert, 2), POINT{inert.size().width / 2, 0}}) {
        inert.pointerMoved(middleOf(inert, 0));
        inert.pointerMoved(p);
        EXPECT_EQ(inert.highlighted(), -1);
        inert.buttonReleased(p);
        EXPECT_FALSE(inert.closed());
    }

    // A press outside dismisses, whatever was highlighted; a press on any side counts.
    Size size = PopupMenu(*sample()).size();
    for (POINT outside : {POINT{-1, 5}, POINT{5, -1}, POINT{size.width, 5}, POINT{5, size.height}}) {
        PopupMenu menu(*sample());
        menu.keyPressed(Key::Down);
        menu.buttonPressed(outside);
        EXPECT_TRUE(menu.closed());
        EXPECT_EQ(menu.command(), 0u);
        EXPECT_FALSE(menu.keyPressed(Key::Down)); // a closed menu takes no more input
        EXPECT_EQ(menu.command(), 0u);
    }
}

TEST(PopupMenu, PaintDrawsBorderTextAndTheHighlight)
{
    PopupMenu menu(*sample());
    Size size = menu.size();
    std::vector<std::uint32_t> pixels(std::size_t(size.width * size.height));
    win32::Surface surface{reinterpret_cast<std::uint8_t *>(pixels.data()), size.width, size.height, size.width * 4,
                           32};
    auto at = [&](int x, int y) { return pixels[std::size_t(y * size.width + x)]; };
    // How many pixels of a row's band are darker than mid grey, and how many lie strictly between
    // the darkest and the background (anti-aliasing).
    auto ink = [&](int index, int &dark, int &between) {
        dark = between = 0;
        POINT middle = middleOf(menu, index);
        for (int y = middle.y - 8; y <= middle.y + 8; ++y)
            for (int x = 2; x < size.width - 2; ++x) {
                std::uint32_t green = (at(x, y) >> 8) & 0xFF;
                dark += green < 0x80;
                between += green > 0x30 && green < 0xE0;
            }
    };

    menu.paint(surface);
    std::uint32_t border = at(0, 0), background = at(size.width / 2, 2);
    EXPECT_NE(border, background);
    EXPECT_EQ(at(size.width - 1, size.height - 1), border);
    for (int index : {0, 3, 4}) {
        int dark, between;
        ink(index, dark, between);
        EXPECT_GT(dark, 20) << "caption " << index;
        EXPECT_GT(between, 10) << "caption " << index;
    }

    // The highlighted row is filled; the others keep the background at the same column.
    menu.pointerMoved(middleOf(menu, 3));
    menu.paint(surface);
    POINT lit = middleOf(menu, 3), plain = middleOf(menu, 0);
    EXPECT_NE(at(size.width - 6, lit.y), background);
    EXPECT_EQ(at(size.width - 6, plain.y), background);
    EXPECT_EQ(at(0, lit.y), border);
}

} // namespace
