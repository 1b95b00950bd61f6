#include "x11_connect.h"

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace x11 {

namespace {

struct Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    Connections connections;
};

Display *openAndAsk()
{
    Display *display = XOpenDisplay(nullptr);
    // A round trip, so that the connection is known to be served.
    if (display)
        XSync(display, False);
    return display;
}

} // namespace

std::optional<Connections> connectDisplay(std::chrono::milliseconds patience, std::string &error)
{
    const char *name = std::getenv("DISPLAY");
    std::string shown = name ? name : "";
    // Xlib has no time-out of its own: the connections are made on a thread that may be left
    // behind, still waiting, when the process ends.
    auto attempt = std::make_shared<Attempt>();
    std::thread([attempt] {
        Connections made;
        made.main = openAndAsk();
        made.events = made.main ? openAndAsk() : nullptr;
        std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) {
            for (Display *display : {made.main, made.events})
                if (display)
                    XCloseDisplay(display);
            return;
        }
        attempt->connections = made;
        attempt->done = true;
        attempt->finished.notify_all();
    }).detach();

    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, patience, [&] { return attempt->done; })) {
        attempt->abandoned = true;
        error = "the X display '" + shown + "' does not answer";
        return std::nullopt;
    }
    Connections made = attempt->connections;
    if (!made.main || !made.events) {
        if (made.main)
            XCloseDisplay(made.main);
        error = "can't open the X display '" + shown + "'";
        return std::nullopt;
    }
    return made;
}

} // namespace x11
