// The popup menu's look on the live desktops: it lays out a menu's items in a font found through
// fontconfig, paints them (anti-aliased text rendered with FreeType) into a colour surface, and
// says where on the screen it goes and what the pointer is over. The menu loop in the core runs
// it; a backend makes a window of size() at place(), shows what paint() draws, grabs the pointer
// and the keyboard while the menu is up, and hands the loop the input that input() makes of the
// pointer's buttons and moves.
#pragma once

#include "../core/menu_loop.h"
#include "../core/surface.h"

#include <memory>
#include <string>
#include <vector>

namespace desktop {

class PopupMenu {
public:
    struct Size {
        int width = 0;
        int height = 0;
    };

    explicit PopupMenu(const win32::Menu &menu);
    ~PopupMenu();
    PopupMenu(const PopupMenu &) = delete;
    PopupMenu &operator=(const PopupMenu &) = delete;

    // The menu's size in pixels, border included.
    Size size() const { return size_; }

    // Where the top-left corner goes for a menu of `size` opened at `at`, so that it stays within
    // `bounds` (the monitor): right of and below the point, else left of or above it, else
    // against the bounds' edge.
    static POINT place(Size size, POINT at, const RECT &bounds);

    // Paints the whole menu, with row `highlighted` lit (-1: none), into the top-left of `into`,
    // a colour surface at least size() large.
    void paint(const win32::Surface &into, int highlighted) const;

    // The index of the item whose row holds `point` (in the menu's pixels), or -1.
    int itemAt(POINT point) const;

    enum class Pointer { Moved, Pressed, LeftReleased };
    // What the pointer at `point` (in the menu's pixels) means to the menu loop.
    win32::MenuInput input(Pointer what, POINT point) const;

private:
    struct Font;
    struct Row {
        std::string caption; // without the access-key marks
        bool separator = false;
        bool grayed = false;
        int top = 0;
        int height = 0;
    };

    bool contains(POINT point) const;

    std::unique_ptr<Font> font_;
    std::vector<Row> rows_;
    Size size_{};
    int baseline_ = 0; // from a row's top
};

} // namespace desktop
