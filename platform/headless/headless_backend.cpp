// The headless backend: the virtual screen, the scheduler's clock, scripted input and the
// observer that hears of frames and outside effects.
#include "headless.h"
#include "headless_drive.h"
#include "headless_scheduler.h"

#include "../core/backend.h"
#include "../core/menu_loop.h"
#include "../core/resources.h"
#include "../core/user.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>

namespace headless {

namespace {

using win32::Surface;
using win32::ThreadState;
using win32::Window;

struct WindowStore {
    std::vector<std::uint32_t> pixels;
};

// A thread's place in the scheduler, which owns it; only threads the backend knows have one.
struct ScheduledThread : win32::BackendThread {
    explicit ScheduledThread(Scheduler::Thread *turn) : turn(turn) {}
    Scheduler::Thread *turn;
};

Scheduler::Thread *scheduled(const ThreadState &state)
{
    return state.backend ? static_cast<const ScheduledThread &>(*state.backend).turn : nullptr;
}

} // namespace

class HeadlessBackend final : public win32::Backend {
public:
    HeadlessBackend(const Config &config, Observer *observer)
        : width_(config.width), height_(config.height), workAreaBottom_(config.workAreaBottom.value_or(config.height - 30)),
          startTime_(config.startTime), input_(config.input), browser_(config.browser),
          observer_(observer),
          scheduler_(Scheduler::Hooks{[this] { return nextInput(); }, [this](std::int64_t now) { deliver(now); },
                                      [this] { stalled(); }})
    {
        Image desktop = config.desktop ? *config.desktop : syntheticDesktop(width_, height_);
        auto picture = std::make_shared<Image>();
        picture->width = width_;
        picture->height = height_;
        picture->pixels.assign(std::size_t(width_) * std::size_t(height_), 0);
        for (int y = 0; y < std::min(height_, desktop.height); ++y)
            std::copy_n(desktop.pixels.begin() + std::ptrdiff_t(y) * desktop.width, std::min(width_, desktop.width),
                        picture->pixels.begin() + std::ptrdiff_t(y) * width_);
        screen_ = picture->pixels;
        desktop_ = std::move(picture);
        std::stable_sort(input_.begin(), input_.end(),
                         [](const InputEvent &a, const InputEvent &b) { return a.at < b.at; });
        main_ = scheduler_.adoptCurrent();
        win32::currentThread().backend = std::make_unique<ScheduledThread>(main_);
    }

    int screenWidth() override { return width_; }
    int screenHeight() override { return height_; }
    RECT workArea() override { return RECT{0, 0, width_, workAreaBottom_}; }

    void captureScreen(int x, int y, const Surface &into) override
    {
        std::lock_guard lock(screenMutex_);
        for (int row = 0; row < into.height; ++row) {
            int sy = y + row;
            if (sy < 0 || sy >= height_)
                continue;
            for (int col = 0; col < into.width; ++col) {
                int sx = x + col;
                if (sx >= 0 && sx < width_)
                    into.pixels(row)[col] = screen_[std::size_t(sy) * std::size_t(width_) + std::size_t(sx)];
            }
        }
    }

    // The desktop, until a window is first shown over it.
    std::shared_ptr<const Image> screenPicture() override
    {
        std::lock_guard lock(screenMutex_);
        return windowShown_ ? nullptr : desktop_;
    }

    void createWindow(Window &window, COLORREF background) override
    {
        auto store = std::make_shared<WindowStore>();
        int w = window.rect.right - window.rect.left, h = window.rect.bottom - window.rect.top;
        store->pixels.assign(std::size_t(w) * std::size_t(h), win32::pixelFromColour(background));
        window.surface = Surface{reinterpret_cast<std::uint8_t *>(store->pixels.data()), w, h, std::ptrdiff_t(w) * 4,
                                 32};
        window.native = store;
    }

    void showWindow(Window &window, bool visible) override
    {
        RECT all{0, 0, window.surface.width, window.surface.height};
        if (visible) {
            {
                std::lock_guard lock(screenMutex_);
                windowShown_ = true;
            }
            compose(window, all);
        }
        else
            uncover(window);
    }

    void presentWindow(Window &window, const RECT &area) override
    {
        bool visible;
        {
            std::lock_guard lock(win32::userMutex());
            visible = window.visible;
        }
        if (visible)
            compose(window, area);
        if (observer_)
            observer_->presented(window.surface, now());
    }

    std::int64_t now() override { return scheduler_.now(); }
    std::time_t calendarTime() override { return startTime_ + std::time_t(now() / 1000); }

    void sleep(DWORD milliseconds) override
    {
        auto *self = participant(win32::currentThread());
        scheduler_.wait(self, now() + milliseconds, false);
    }

    void startThread(std::function<void()> body) override
    {
        Scheduler::Thread *thread = scheduler_.addWaiting();
        std::thread([this, thread, body = std::move(body)] {
            scheduler_.enter(thread);
            win32::currentThread().backend = std::make_unique<ScheduledThread>(thread);
            body();
            scheduler_.exit(thread);
        }).detach();
    }

    void block(std::unique_lock<std::mutex> &lock, ThreadState &self, std::optional<std::int64_t> until) override
    {
        auto *thread = participant(self);
        // The main thread has handled every message it was sent: a menu answer left over
        // belonged to a right click that opened no menu.
        if (thread == main_) {
            std::lock_guard inputLock(inputMutex_);
            menuAnswers_.clear();
        }
        lock.unlock();
        scheduler_.wait(thread, until, true);
        lock.lock();
    }

    void wake(ThreadState &thread) override
    {
        if (auto *turn = scheduled(thread))
            scheduler_.wake(turn);
    }

    void playSound(const win32::Wave &, const std::string &name) override
    {
        note(Event{"sound", now(), onMainThread(), {{"name", name}}});
    }

    void stopSounds() override { note(Event{"purge", now(), onMainThread(), {}}); }

    void timerSet(UINT_PTR id, UINT milliseconds) override
    {
        note(Event{"timer", now(), onMainThread(), {{"id", std::int64_t(id)}, {"ms", std::int64_t(milliseconds)}}});
    }

    // The pointer is where the input script last put it.
    POINT cursorPosition() override
    {
        std::lock_guard lock(inputMutex_);
        return pointer_;
    }

    void setCursor(const win32::Cursor *cursor) override
    {
        note(Event{"cursor", now(), onMainThread(), {{"shape", cursor ? cursor->name : std::string("none")}}});
    }

    // Answered at once by the script's "menu" word of the right click that opened it; without one
    // it stays up for the script's later lines.
    void showMenu(const win32::Menu &menu, POINT at) override
    {
        std::vector<std::string> items;
        for (const auto &item : menu.items)
            items.push_back(item.text);
        note(Event{"menu", now(), onMainThread(), {{"items", items}, {"x", std::int64_t(at.x)}, {"y", std::int64_t(at.y)}}});
        std::optional<int> answer;
        {
            std::lock_guard lock(inputMutex_);
            if (!menuAnswers_.empty()) {
                answer = menuAnswers_.front();
                menuAnswers_.pop_front();
            }
        }
        if (answer)
            win32::deliverMenuInput(win32::MenuInput{win32::MenuInput::Kind::Choose, -1, false, 0, UINT(*answer)});
    }

    void highlightMenu(int) override {}
    void hideMenu() override {}

    int openDriveFile(const std::string &name, int flags) override { return drive_.open(name, flags); }
    bool removeDriveFile(const std::string &name) override { return drive_.remove(name); }
    std::string windowsDirectory() override { return "C:\\WINDOWS"; }

    std::variant<std::string, int> findExecutable(const std::string &name) override
    {
        auto size = drive_.size(name);
        note(Event{"probe", now(), onMainThread(), {{"bytes", size ? Event::Value(*size) : Event::Value(nullptr)}}});
        if (!size)
            return SE_ERR_FNF;
        if (!browser_)
            return SE_ERR_NOASSOC;
        return std::string("browser");
    }

    // Nothing is started: the request is noted.
    int shellExecute(const win32::ShellRequest &request) override
    {
        auto text = [](const std::optional<std::string> &value) {
            return value ? Event::Value(*value) : Event::Value(nullptr);
        };
        note(Event{"shell",
                   now(),
                   onMainThread(),
                   {{"verb", text(request.verb)},
                    {"file", request.file},
                    {"params", text(request.parameters)},
                    {"dir", text(request.directory)}}});
        return 42;
    }

private:
    Scheduler::Thread *participant(ThreadState &state)
    {
        auto *turn = scheduled(state);
        if (!turn) {
            std::fputs("headless: a thread the program did not start with CreateThread waits\n", stderr);
            std::abort();
        }
        return turn;
    }

    bool onMainThread() { return scheduled(win32::currentThread()) == main_; }

    void note(const Event &event)
    {
        if (observer_)
            observer_->event(event);
    }

    // Copies part of a visible window onto the screen, which is what a capture of the screen sees.
    void compose(const Window &window, const RECT &area)
    {
        std::lock_guard lock(screenMutex_);
        for (int y = area.top; y < area.bottom; ++y) {
            int sy = window.rect.top + y;
            if (sy < 0 || sy >= height_)
                continue;
            for (int x = area.left; x < area.right; ++x) {
                int sx = window.rect.left + x;
                if (sx >= 0 && sx < width_)
                    screen_[std::size_t(sy) * std::size_t(width_) + std::size_t(sx)] = window.surface.pixels(y)[x];
            }
        }
    }

    void uncover(const Window &window)
    {
        std::lock_guard lock(screenMutex_);
        for (int y = std::max<int>(window.rect.top, 0); y < std::min<int>(window.rect.bottom, height_); ++y)
            for (int x = std::max<int>(window.rect.left, 0); x < std::min<int>(window.rect.right, width_); ++x)
                screen_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] =
                    desktop_->pixels[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
    }

    std::optional<std::int64_t> nextInput()
    {
        if (nextInput_ < input_.size())
            return input_[nextInput_].at;
        return std::nullopt;
    }

    // The newest visible window takes keys; the newest visible window under the point takes the
    // mouse.
    std::shared_ptr<Window> target(const InputEvent &event)
    {
        auto windows = win32::liveWindows();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            const Window &w = **it;
            if (!w.visible)
                continue;
            if (event.type == InputEvent::Type::Key ||
                (event.x >= w.rect.left && event.x < w.rect.right && event.y >= w.rect.top && event.y < w.rect.bottom))
                return *it;
        }
        return nullptr;
    }

    void deliver(std::int64_t now)
    {
        while (nextInput_ < input_.size() && input_[nextInput_].at <= now) {
            const InputEvent &event = input_[nextInput_++];
            if (event.type == InputEvent::Type::Menu) {
                win32::deliverMenuInput(
                    win32::MenuInput{win32::MenuInput::Kind::Choose, -1, false, 0, UINT(*event.menuCommand)});
                continue;
            }
            auto window = target(event);
            if (!window)
                continue;
            HWND h = window->handle;
            if (event.type == InputEvent::Type::Key) {
                win32::postMessage(h, WM_KEYDOWN, WPARAM(event.virtualKey), 1);
                win32::postMessage(h, WM_KEYUP, WPARAM(event.virtualKey), LPARAM(0xC0000001u));
                continue;
            }
            LPARAM where = MAKELPARAM(event.x - window->rect.left, event.y - window->rect.top);
            {
                std::lock_guard lock(inputMutex_);
                pointer_ = POINT{event.x, event.y};
                if (event.type == InputEvent::Type::Click && event.rightButton)
                    menuAnswers_.push_back(event.menuCommand);
            }
            win32::postMessage(h, WM_MOUSEMOVE, 0, where);
            if (event.type == InputEvent::Type::Click) {
                bool right = event.rightButton;
                win32::postMessage(h, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, where);
                win32::postMessage(h, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, where);
            }
        }
    }

    [[noreturn]] void stalled()
    {
        if (observer_)
            observer_->stalled();
        std::fputs("headless: every thread waits and nothing is due\n", stderr);
        std::abort();
    }

    int width_, height_;
    int workAreaBottom_;
    std::time_t startTime_;
    std::vector<InputEvent> input_;
    std::size_t nextInput_ = 0;
    bool browser_;
    std::mutex inputMutex_;
    POINT pointer_{0, 0};
    // Each right click's answer for the menu it opens, if it gave one.
    std::deque<std::optional<int>> menuAnswers_;
    MemoryDrive drive_;
    Observer *observer_;
    Scheduler scheduler_;
    Scheduler::Thread *main_ = nullptr;
    std::mutex screenMutex_;
    std::shared_ptr<const Image> desktop_;
    bool windowShown_ = false;
    std::vector<std::uint32_t> screen_;
};

void start(const Config &config, Observer *observer)
{
    win32::installBackend(std::make_unique<HeadlessBackend>(config, observer));
}

} // namespace headless
