#include "headless_scheduler.h"

#include <algorithm>

namespace headless {

struct Scheduler::Thread {
    enum class State { Running, Runnable, Waiting, Exited };
    State state = State::Runnable;
    std::optional<std::int64_t> until;
    bool wakesOnMessage = false;
    std::condition_variable turn;
};

Scheduler::Scheduler(Hooks hooks) : hooks_(std::move(hooks)) {}

Scheduler::~Scheduler() = default;

Scheduler::Thread *Scheduler::adoptCurrent()
{
    std::lock_guard lock(mutex_);
    threads_.push_back(std::make_unique<Thread>());
    threads_.back()->state = Thread::State::Running;
    return threads_.back().get();
}

Scheduler::Thread *Scheduler::addWaiting()
{
    std::lock_guard lock(mutex_);
    threads_.push_back(std::make_unique<Thread>());
    return threads_.back().get();
}

void Scheduler::enter(Thread *thread)
{
    std::unique_lock lock(mutex_);
    thread->turn.wait(lock, [&] { return thread->state == Thread::State::Running; });
}

void Scheduler::exit(Thread *thread)
{
    {
        std::lock_guard lock(mutex_);
        thread->state = Thread::State::Exited;
    }
    passTurn();
}

void Scheduler::wait(Thread *thread, std::optional<std::int64_t> until, bool wakesOnMessage)
{
    {
        std::lock_guard lock(mutex_);
        thread->state = Thread::State::Waiting;
        thread->until = until;
        thread->wakesOnMessage = wakesOnMessage;
    }
    passTurn();
    enter(thread);
}

void Scheduler::wake(Thread *thread)
{
    std::lock_guard lock(mutex_);
    if (thread->state == Thread::State::Waiting && thread->wakesOnMessage) {
        thread->state = Thread::State::Runnable;
        thread->until.reset();
    }
}

std::int64_t Scheduler::now()
{
    std::lock_guard lock(mutex_);
    return now_;
}

void Scheduler::passTurn()
{
    for (;;) {
        std::unique_lock lock(mutex_);
        for (auto &thread : threads_) {
            if (thread->state == Thread::State::Runnable) {
                thread->state = Thread::State::Running;
                thread->turn.notify_all();
                return;
            }
        }
        // Nobody can run: move the clock to the next moment something is due.
        std::optional<std::int64_t> next;
        for (auto &thread : threads_)
            if (thread->state == Thread::State::Waiting && thread->until)
                next = next ? std::min(*next, *thread->until) : *thread->until;
        lock.unlock();
        auto input = hooks_.nextInput();
        if (input)
            next = next ? std::min(*next, *input) : *input;
        if (!next) {
            hooks_.stalled();
            return;
        }
        lock.lock();
        now_ = std::max(now_, *next);
        for (auto &thread : threads_) {
            if (thread->state == Thread::State::Waiting && thread->until && *thread->until <= now_) {
                thread->state = Thread::State::Runnable;
                thread->until.reset();
            }
        }
        std::int64_t now = now_;
        lock.unlock();
        // Input posts messages, which wakes the threads that own the windows.
        if (input && *input <= now)
            hooks_.deliverInput(now);
    }
}

} // namespace headless
