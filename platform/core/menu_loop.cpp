// TrackPopupMenu's modal loop, EndMenu, and the rules of a menu's input.
#include "menu_loop.h"

#include "backend.h"
#include "user.h"

#include <deque>
#include <optional>

namespace win32 {

MenuState::MenuState(const Menu &menu)
{
    for (const auto &item : menu.items) {
        bool disabled = item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP);
        rows_.push_back(Row{item.command, !disabled && item.command != 0});
    }
}

bool MenuState::choosable(int index) const
{
    return index >= 0 && std::size_t(index) < rows_.size() && rows_[std::size_t(index)].choosable;
}

bool MenuState::highlight(int index)
{
    if (index == highlighted_)
        return false;
    highlighted_ = index;
    return true;
}

bool MenuState::close(UINT command)
{
    closed_ = true;
    command_ = command;
    return false;
}

int MenuState::nextChoosable(int from, int step) const
{
    int count = int(rows_.size());
    for (int i = 0, index = from; i < count; ++i) {
        index = (index + step + count) % count;
        if (rows_[std::size_t(index)].choosable)
            return index;
    }
    return -1;
}

bool MenuState::apply(const MenuInput &input)
{
    if (closed_)
        return false;
    int count = int(rows_.size());
    switch (input.kind) {
    case MenuInput::Kind::Pointer:
        return highlight(choosable(input.item) ? input.item : -1);
    case MenuInput::Kind::Press:
        return !input.inside && close(0);
    case MenuInput::Kind::Release:
        return choosable(input.item) && close(rows_[std::size_t(input.item)].command);
    case MenuInput::Kind::Choose:
        return close(input.command);
    case MenuInput::Kind::Key:
        break;
    }
    switch (input.key) {
    case VK_DOWN:
        return highlight(nextChoosable(highlighted_ < 0 ? count - 1 : highlighted_, 1));
    case VK_UP:
        return highlight(nextChoosable(highlighted_ < 0 ? 0 : highlighted_, -1));
    case VK_HOME:
        return highlight(nextChoosable(count - 1, 1));
    case VK_END:
        return highlight(nextChoosable(0, -1));
    case VK_RETURN:
        return highlighted_ >= 0 && close(rows_[std::size_t(highlighted_)].command);
    case VK_ESCAPE:
        return close(0);
    default:
        return false;
    }
}

namespace {

// The menu up now, if any, under userMutex: one at a time in the process, as on Windows.
struct Tracking {
    MenuState state;
    std::deque<MenuInput> input;
    ThreadState &thread;
};
Tracking *active = nullptr;

// What the thread's keyboard and mouse messages mean to the menu, as Windows' menu loop takes them
// from the queue: a key goes to the menu, and a window's pointer is off the menu, so a move there
// lights nothing and a press there dismisses it. Releases and other messages mean nothing.
std::optional<MenuInput> menuInputOf(const MSG &msg)
{
    switch (msg.message) {
    case WM_KEYDOWN:
        return MenuInput{MenuInput::Kind::Key, -1, false, msg.wParam};
    case WM_MOUSEMOVE:
        return MenuInput{MenuInput::Kind::Pointer};
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        return MenuInput{MenuInput::Kind::Press};
    default:
        return std::nullopt;
    }
}

bool isInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

// Shows the menu and runs the loop until it closes; returns the command chosen, 0 when it was
// dismissed. A quit posted meanwhile stays queued for the message loop.
UINT trackMenu(const Menu &menu, POINT at)
{
    Tracking tracking{MenuState(menu), {}, currentThread()};
    std::unique_lock lock(userMutex());
    if (active)
        return 0;
    active = &tracking;
    lock.unlock();
    backend().showMenu(menu, at);
    lock.lock();
    const MessageFilter everything;
    for (;;) {
        while (!tracking.input.empty() && !tracking.state.closed()) {
            MenuInput input = tracking.input.front();
            tracking.input.pop_front();
            if (tracking.state.apply(input)) {
                int highlighted = tracking.state.highlighted();
                lock.unlock();
                backend().highlightMenu(highlighted);
                lock.lock();
            }
        }
        if (tracking.state.closed())
            break;
        MSG msg;
        switch (takeMessage(lock, everything, false, msg)) {
        case Taken::Message:
            if (isInput(msg.message)) {
                if (auto input = menuInputOf(msg))
                    tracking.input.push_back(*input);
                break;
            }
            lock.unlock();
            DispatchMessageA(&msg);
            lock.lock();
            break;
        case Taken::Sent:
        case Taken::Quit:
            break;
        case Taken::Nothing:
            backend().block(lock, tracking.thread, nextTimerDue(everything));
            break;
        }
    }
    active = nullptr;
    lock.unlock();
    backend().hideMenu();
    return tracking.state.command();
}

} // namespace

bool deliverMenuInput(const MenuInput &input)
{
    std::lock_guard lock(userMutex());
    if (!active || active->state.closed())
        return false;
    active->input.push_back(input);
    backend().wake(active->thread);
    return true;
}

} // namespace win32

using namespace win32;

// The menu's top-left corner at (x, y); the command chosen comes back with TPM_RETURNCMD, else
// as WM_COMMAND to the window. A second menu while one is up is refused.
extern "C" BOOL WINAPI TrackPopupMenu(HMENU handle, UINT flags, int x, int y, int, HWND window, const RECT *)
{
    auto menu = handles().find<Menu>(handle);
    if (!menu || !handles().find<Window>(window))
        return FALSE;
    UINT command = trackMenu(*menu, POINT{x, y});
    if (flags & TPM_RETURNCMD)
        return BOOL(command);
    if (command)
        postMessage(window, WM_COMMAND, command, 0);
    return command ? TRUE : FALSE;
}

// Closes the menu up now, from its own thread (a window procedure the loop dispatched) or any
// other.
extern "C" BOOL WINAPI EndMenu(void)
{
    std::lock_guard lock(userMutex());
    if (active && !active->state.closed()) {
        active->state.dismiss();
        backend().wake(active->thread);
    }
    return TRUE;
}
