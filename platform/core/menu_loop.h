// TrackPopupMenu's modal loop, the same for every backend: while a popup menu is up, the thread
// that tracks it goes on dispatching its other messages (timers, posted and sent messages) and
// applies the menu's input, until a command is chosen, the menu is dismissed or EndMenu is called.
// A backend only shows the menu and hands over its input, in the menu's own terms.
#pragma once

#include "menus.h"

#include <windows.h>

#include <vector>

namespace win32 {

struct MenuInput {
    enum class Kind {
        Pointer, // the pointer is over row `item` (-1: over none, or off the menu)
        Press,   // a button went down, on the menu when `inside`
        Release, // the left button came up over row `item`
        Key,     // a key went down: `key` is its virtual-key code
        Choose,  // an answer from outside (a scripted run): `command`, 0 to dismiss
    };
    Kind kind = Kind::Pointer;
    int item = -1;
    bool inside = false;
    WPARAM key = 0;
    UINT command = 0;
};

// What input does to a menu. Items that can be chosen are those with a command that are neither
// separators, grayed, disabled nor pop-ups. The pointer highlights the choosable item under it,
// else none; Up and Down move the highlight over choosable items only, wrapping at the ends, Home
// and End go to the first and last; Enter chooses the highlighted item (nothing without one), and
// so does a release over a choosable item; Escape or a press off the menu dismisses it.
class MenuState {
public:
    explicit MenuState(const Menu &menu);

    // Returns whether the highlight changed. A closed menu takes no more input.
    bool apply(const MenuInput &input);
    void dismiss() { close(0); }

    int highlighted() const { return highlighted_; }
    bool closed() const { return closed_; }
    // The command chosen; 0 when dismissed or still open.
    UINT command() const { return command_; }

private:
    struct Row {
        UINT command = 0;
        bool choosable = false;
    };

    bool highlight(int index);
    bool close(UINT command);
    bool choosable(int index) const;
    // The next choosable row from `from` in steps of `step` (+1 or -1), wrapping; -1 for none.
    int nextChoosable(int from, int step) const;

    std::vector<Row> rows_;
    int highlighted_ = -1;
    bool closed_ = false;
    UINT command_ = 0;
};

// Hands input to the popup menu that is up and wakes the thread tracking it; false when no menu
// is up. Callable from any thread that does not hold userMutex.
bool deliverMenuInput(const MenuInput &input);

} // namespace win32
