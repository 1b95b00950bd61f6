// The headless backend: a virtual screen, a virtual clock and scripted input, so that a run of
// the program is the same, frame for frame, every time. Tools and tests start it before they
// call into the program; it reports what the program presents and does to an Observer.
#pragma once

#include "../core/surface.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace headless {

using win32::Image;

// A Menu event answers the popup menu that is up; while one is up, the menu loop takes the keys
// and the clicks, as on Windows (see TrackPopupMenu).
struct InputEvent {
    enum class Type { Key, Move, Click, Menu };
    std::int64_t at = 0;
    Type type = Type::Key;
    int virtualKey = 0;
    int x = 0;
    int y = 0;
    bool rightButton = false;
    // For a right click, the command the popup menu it opens returns at once, and for a Menu
    // event the answer to the menu that is up (0 dismisses it). A right click without one leaves
    // its menu open.
    std::optional<int> menuCommand;
};

struct Config {
    int width = 1024;
    int height = 768;
    // The desktop that the screen shows; the synthetic desktop when absent.
    std::optional<Image> desktop;
    // The bottom of the work area; by default a 30-pixel taskbar lies below it.
    std::optional<int> workAreaBottom;
    // The calendar time, in seconds, at virtual time 0.
    std::time_t startTime = 0;
    std::vector<InputEvent> input;
    // Whether a program is registered for HTML files: FindExecutableA answers "browser".
    bool browser = true;
};

// Something the program did that a recording notes, with its fields in order.
struct Event {
    using Value = std::variant<std::int64_t, std::string, std::nullptr_t, std::vector<std::string>>;
    std::string name;
    std::int64_t tMs = 0;
    // False for the threads the program started; their events belong to the frame in progress.
    bool onMainThread = true;
    std::vector<std::pair<std::string, Value>> fields;
};

class Observer {
public:
    virtual ~Observer() = default;
    // The program drew on its window; `frame` is the window's whole back store.
    virtual void presented(const win32::Surface &frame, std::int64_t tMs) = 0;
    virtual void event(const Event &event) = 0;
    // Every thread waits and nothing is due: the run can't go on. Must not return.
    [[noreturn]] virtual void stalled() = 0;
};

// Installs the backend and makes the calling thread the program's main thread.
void start(const Config &config, Observer *observer);

// The built-in desktop: a plain backdrop with a 30-pixel taskbar and a Start button at the
// bottom left.
Image syntheticDesktop(int width, int height);

// Reads any PNG into an Image; the error text names what is wrong.
std::optional<Image> readPng(const std::string &path, std::string &error);

// Parses an input script (one "at <ms> <action>" a line, # starts a comment). On failure
// returns nothing and sets `error` to the line's number and problem.
std::optional<std::vector<InputEvent>> parseInputScript(const std::string &text, std::string &error);

} // namespace headless
