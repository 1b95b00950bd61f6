// Runs the program's threads one at a time on a virtual clock. A thread keeps the turn until it
// waits (for a message, for a reply, or in Sleep); then the next thread that can run takes it,
// oldest first. When none can, the clock jumps to the next moment something is due: a sleeper
// wakes, a timer expires, scripted input arrives. So a run depends on nothing but its inputs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace headless {

class Scheduler {
public:
    struct Thread;

    // What the scheduler asks of its owner: the time of the next scripted input, delivering
    // the input due by a time, and what to do when nothing can ever run again.
    struct Hooks {
        std::function<std::optional<std::int64_t>()> nextInput;
        std::function<void(std::int64_t now)> deliverInput;
        std::function<void()> stalled;
    };

    explicit Scheduler(Hooks hooks);
    ~Scheduler();

    // The calling thread, which holds the turn.
    Thread *adoptCurrent();
    // A thread that will start once it is given the turn; call enter() on it first thing.
    Thread *addWaiting();
    void enter(Thread *thread);
    void exit(Thread *thread);

    // Gives up the turn until `until` or, if wakesOnMessage, until wake() is called.
    void wait(Thread *thread, std::optional<std::int64_t> until, bool wakesOnMessage);
    void wake(Thread *thread);

    std::int64_t now();

private:
    void passTurn();

    Hooks hooks_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Thread>> threads_;
    std::int64_t now_ = 0;
};

} // namespace headless
