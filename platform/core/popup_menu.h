// The popup menu's look and behaviour, the same for every backend that shows one: it lays out a
// menu's items in a font found through fontconfig, paints them (anti-aliased text rendered with
// FreeType) into a colour surface, and turns pointer and key input into the command chosen.
//
// A backend makes a window of size() at place(), shows what paint() draws, grabs the pointer and
// the keyboard while the menu is open, and feeds it input in the menu's own pixels until
// closed(); command() is then the answer. Every input call returns whether the menu must be
// painted again.
//
// Items that can be chosen are those with a command that are neither separators, grayed, disabled
// nor pop-ups. The pointer highlights the choosable item under it; the keys move the highlight
// over choosable items only, wrapping at the ends.
#pragma once

#include "menus.h"
#include "surface.h"

#include <memory>
#include <string>
#include <vector>

namespace win32 {

class PopupMenu {
public:
    enum class Key { Up, Down, Home, End, Enter, Escape };
    struct Size {
        int width = 0;
        int height = 0;
    };

    explicit PopupMenu(const Menu &menu);
    ~PopupMenu();
    PopupMenu(const PopupMenu &) = delete;
    PopupMenu &operator=(const PopupMenu &) = delete;

    // The menu's size in pixels, border included.
    Size size() const { return size_; }

    // Where the top-left corner goes for a menu of `size` opened at `at`, so that it stays within
    // `bounds` (the monitor): right of and below the point, else left of or above it, else
    // against the bounds' edge.
    static POINT place(Size size, POINT at, const RECT &bounds);

    // Paints the whole menu into the top-left of `into`, a colour surface at least size() large.
    void paint(const Surface &into) const;

    // The index of the item whose row holds `point`, or -1.
    int itemAt(POINT point) const;
    // The highlighted item's index, or -1.
    int highlighted() const { return highlighted_; }

    // The pointer moved to `point`: the choosable item under it is highlighted, else none.
    bool pointerMoved(POINT point);
    // A button went down: outside the menu that dismisses it.
    bool buttonPressed(POINT point);
    // The left button came up: on a choosable item that chooses it.
    bool buttonReleased(POINT point);
    // Up and Down move the highlight, Home and End go to the first and last item, Enter chooses
    // the highlighted one (nothing without one), Escape dismisses the menu.
    bool keyPressed(Key key);

    bool closed() const { return closed_; }
    // The command chosen, 0 when dismissed or still open.
    UINT command() const { return command_; }

private:
    struct Font;
    struct Row {
        std::string caption; // without the access-key marks
        UINT command = 0;
        bool choosable = false;
        bool separator = false;
        bool grayed = false;
        int top = 0;
        int height = 0;
    };

    bool contains(POINT point) const;
    bool highlight(int index);
    bool close(UINT command);
    // The next choosable row from `from` in steps of `step` (+1 or -1), wrapping; -1 for none.
    int nextChoosable(int from, int step) const;

    std::unique_ptr<Font> font_;
    std::vector<Row> rows_;
    Size size_{};
    int baseline_ = 0; // from a row's top
    int highlighted_ = -1;
    bool closed_ = false;
    UINT command_ = 0;
};

} // namespace win32
