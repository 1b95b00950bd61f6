// Input storms: 10,000 seeded random events over a whole show on 1024 x 768, in bursts at the same
// millisecond; the show ends with status 0, by the exit timer, Esc or the menu's Exit, with a shell
// action for every click on the badge and menu command that asks for one. A right click without an
// answer leaves its menu up to take keys and clicks. A seed that ever fails becomes a case here.
#include "../support/run.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <random>
#include <utility>

namespace {

struct Action {
    enum Kind { Move, LeftClick, RightClick, Key } kind;
    int x = 0, y = 0;
    std::string word; // the key's name, or the menu's answer ("" for none given)

    // The line of the input script that makes it at time `at`.
    std::string line(long long at) const
    {
        const char *verbs[] = {"move", "click left", "click right", "key"};
        const std::string text = "at " + std::to_string(at) + " " + verbs[kind] + " ";
        if (kind == Key)
            return text + word + "\n";
        return text + std::to_string(x) + " " + std::to_string(y) + (word.empty() ? "" : " menu " + word) + "\n";
    }
};

// One millisecond's burst: every event of it arrives before the program handles any, so each
// handler finds the pointer where the burst's last pointer event left it.
using Storm = std::map<long long, std::vector<Action>>;

enum class Ending { Timer, Escape, Exit };

Storm makeStorm(unsigned seed, Ending ending)
{
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const char *keys[] = {"a", "q", "z", "0", "7", "space", "enter", "return"};
    const char *answers[] = {"", "none", "40001", "40002", "40009"};
    Storm storm;
    for (int events = 0; events < 10000;) {
        // Frames begin on multiples of 60 ms; input between them leaves no doubt about the state.
        long long at = pick(0, 27400);
        at += at % 60 == 0;
        for (int burst = pick(1, 8); burst > 0 && events < 10000; --burst, ++events) {
            Action action{Action::Kind(pick(0, 9) < 4 ? 0 : pick(1, 3)), 0, 0, ""};
            // Half the pointer events fall on or near the resting badge (369..630, 285..483).
            bool nearBadge = pick(0, 1);
            action.x = nearBadge ? pick(350, 650) : pick(-20, 1040);
            action.y = nearBadge ? pick(270, 500) : pick(-20, 780);
            if (action.kind == Action::Key)
                action.word = keys[pick(0, 7)];
            if (action.kind == Action::RightClick)
                action.word = answers[pick(0, 4)];
            storm[at].push_back(action);
        }
    }
    // The first Esc may only close a menu that is up; the second then ends the show.
    if (ending != Ending::Timer) {
        Action last{ending == Ending::Escape ? Action::Key : Action::RightClick, 10, 10,
                    ending == Ending::Escape ? "escape" : "40003"};
        auto burst = std::next(storm.begin(), std::ptrdiff_t(storm.size() * 4 / 5));
        auto at = burst->second.insert(burst->second.begin() + pick(0, int(burst->second.size())), last);
        if (ending == Ending::Escape)
            burst->second.insert(at, last);
    }
    return storm;
}

void expectTheStormHandled(unsigned seed, Ending ending)
{
    const Storm storm = makeStorm(seed, ending);
    std::string script;
    for (const auto &[at, burst] : storm)
        for (const Action &action : burst)
            script += action.line(at);
    const ShowLog log = recordShow("", script);
    ASSERT_EQ(log.status, 0) << log.errors;

    // The badge's rectangle in force at each time, from the frames that began before it.
    auto badgeAt = [&](long long t) -> std::optional<std::array<long long, 2>> {
        std::optional<std::array<long long, 2>> badge;
        for (const std::string &frame : log.frames) {
            if (*intField(frame, "t_ms") > t)
                break;
            badge.reset();
            if (intField(frame, "scene") == 4)
                badge = std::array<long long, 2>{*intField(frame, "walkerX"), *intField(frame, "walkerY")};
        }
        return badge;
    };
    std::vector<long long> launches;
    long long end = 27520; // the exit timer's, unless something ends the show first
    bool menuUp = false;
    for (const auto &[at, burst] : storm) {
        if (at > end)
            break;
        auto onScreen = [](const Action &a) { return a.x >= 0 && a.x < 1024 && a.y >= 0 && a.y < 768; };
        // Events off the screen reach no window and leave the pointer where it was.
        const Action *pointer = nullptr;
        for (const Action &a : burst)
            if (a.kind != Action::Key && onScreen(a))
                pointer = &a;
        auto badge = badgeAt(at);
        bool overBadge = pointer && badge && pointer->x >= (*badge)[0] && pointer->x < (*badge)[0] + 262 &&
                         pointer->y >= (*badge)[1] && pointer->y < (*badge)[1] + 199;
        // A press closes the menu that is up, and its release then reaches the window.
        for (const Action &a : burst) {
            if (a.kind == Action::Key && a.word == "escape") {
                if (!std::exchange(menuUp, false))
                    end = std::min(end, at);
            }
            if (!onScreen(a) || a.kind == Action::Move || a.kind == Action::Key)
                continue;
            menuUp = false;
            if (a.kind == Action::LeftClick && overBadge)
                launches.push_back(at);
            if (a.kind == Action::RightClick && (a.word == "40001" || a.word == "40002"))
                launches.push_back(at);
            if (a.kind == Action::RightClick && a.word == "40003")
                end = std::min(end, at);
            menuUp = a.kind == Action::RightClick && a.word.empty();
        }
    }
    if (end == 27520)
        launches.push_back(end);

    std::vector<long long> logged;
    for (const std::string &event : log.events)
        if (stringField(event, "event") == "shell")
            logged.push_back(*intField(event, "t_ms"));
    EXPECT_EQ(logged, launches);
    EXPECT_EQ(log.events.back(), R"({"event":"exit","t_ms":)" + std::to_string(end) + R"(,"code":0})");
}

TEST(InputStorm, EndsByTheTimerEscOrTheMenusExit)
{
    expectTheStormHandled(1, Ending::Timer);
    expectTheStormHandled(2, Ending::Escape);
    expectTheStormHandled(3, Ending::Exit);
}

} // namespace
