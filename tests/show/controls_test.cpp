// What the user's input does, through howdy-record's input scripts on a 1024 x 768 screen: Esc,
// the badge under the pointer and its click, the popup menu's commands, and the exit timer's end.
// The badge slides from x 1014 in frame 222 (t 18240) and rests at (369, 285) from frame 266
// (t 23520), when the four-second exit timer is armed.
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

const std::string kUrl = "http://howdy-partner.example/lsd.html";
const std::string kMail = "mailto:?body=Get information on drugs at  " + kUrl;
const std::string kMenu = R"("items":["Tell a friend","howdy-partner.example/lsd.html ","Exit"])";

// The launcher at time t: the probe file, then the program registered for HTML files with
// `params`, or with none registered (`params` null) the URL itself.
std::vector<std::string> launch(long long t, const std::string &params)
{
    const std::string at = std::to_string(t);
    const std::string program = params == "null" ? R"(")" + kUrl + R"(","params":null)"
                                                 : R"("browser","params":")" + params + "\"";
    return {R"({"event":"probe","t_ms":)" + at + R"(,"bytes":13})",
            R"({"event":"shell","t_ms":)" + at + R"(,"verb":"open","file":)" + program + R"(,"dir":null})"};
}

std::vector<std::string> ending(long long t)
{
    const std::string at = std::to_string(t);
    return {R"({"event":"purge","t_ms":)" + at + "}", R"({"event":"exit","t_ms":)" + at + R"(,"code":0})"};
}

// The events of the main thread (those with no frame), in order: the pointer's or all others.
std::vector<std::string> mainThreadEvents(const ShowLog &log, bool cursors = false)
{
    std::vector<std::string> events;
    for (const std::string &line : log.events)
        if (!intField(line, "frame") && (stringField(line, "event") == "cursor") == cursors)
            events.push_back(line);
    return events;
}

// The same events, at time t.
std::vector<std::string> at(std::vector<std::string> events, long long t)
{
    for (std::string &event : events)
        event.replace(event.find("24100"), 5, std::to_string(t));
    return events;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Controls, OnlyTheBadgeUnderThePointerShowsTheHandAndOpensThePage)
{
    const struct {
        long long at;
        const char *action;
        int x, y;
        const char *shape;
    } pointer[] = {
        // The walker in frame 9 stands at (14, 652), in the trip at (549, 652): no badge there,
        // and clicking him does nothing.
        {1000, "move", 20, 660, "arrow"},
        {1100, "click left", 20, 660, "arrow"},
        {9010, "click left", 560, 700, "arrow"},
        // The sliding badge, at x 894 in frame 230 (from t 19200), opens the page too.
        {19250, "click left", 900, 300, "hand"},
        {19300, "click left", 1000, 483, "hand"},
        // The resting badge covers 369 to 630 and 285 to 483.
        {24000, "move", 369, 285, "hand"},
        {24010, "move", 630, 483, "hand"},
        {24020, "move", 631, 285, "arrow"},
        {24030, "move", 369, 484, "arrow"},
        {24040, "move", 368, 300, "arrow"},
        {24050, "move", 400, 284, "arrow"},
        {24100, "click left", 500, 380, "hand"},
    };
    std::string script;
    std::vector<std::string> cursors;
    for (const auto &p : pointer) {
        script += "at " + std::to_string(p.at) + " " + p.action + " " + std::to_string(p.x) + " " +
                  std::to_string(p.y) + "\n";
        cursors.push_back(R"({"event":"cursor","t_ms":)" + std::to_string(p.at) + R"(,"shape":")" + p.shape + "\"}");
    }
    const ShowLog log = recordShow("", script);
    ASSERT_EQ(log.status, 0) << log.errors;
    EXPECT_EQ(mainThreadEvents(log, true), cursors);
    EXPECT_EQ(mainThreadEvents(log), launch(19250, kUrl + " ") + launch(19300, kUrl + " ") + launch(24100, kUrl + " ") +
                                         launch(27520, kUrl) + ending(27520));
}

// Esc in each scene ends the show at once; each menu command at 24100, chosen at once or later by
// keys or an answer; the page opens at 27520, four seconds after the badge came to rest, unless
// the show has ended, and once only, even with a menu left open, which the end closes. Without a
// program for HTML files, the badge, the menu and the timer open the URL itself.
TEST(Controls, EscEachMenuCommandAndTheExitTimer)
{
    const std::vector<std::string> menu = {R"({"event":"menu","t_ms":24100,)" + kMenu + R"(,"x":10,"y":20})"};
    const std::string answer = "at 24100 click right 10 20 menu ";
    const std::vector<std::string> mail = {R"({"event":"shell","t_ms":24100,"verb":null,"file":")" + kMail +
                                           R"(","params":null,"dir":"C:\\WINDOWS"})"};
    const std::vector<std::string> timersEnd = launch(27520, kUrl) + ending(27520);
    const struct {
        std::string options, script;
        std::vector<std::string> expected;
    } cases[] = {
        {"", "at 1000 key escape", ending(1000)},
        {"", "at 3100 key escape", ending(3100)},
        {"", "at 9010 key escape", ending(9010)},
        {"", "at 20000 key escape", ending(20000)},
        {"", answer + "40001", menu + mail + timersEnd},
        {"", answer + "40002", menu + launch(24100, kUrl + " ") + timersEnd},
        {"", answer + "40003", menu + ending(24100)},
        {"", answer + "none", menu + timersEnd},
        {"", answer + "40009", menu + timersEnd},
        {"", "at 24100 click right 10 20\nat 24200 key down\nat 24300 key enter", menu + at(mail, 24300) + timersEnd},
        {"", "at 24100 click right 10 20\nat 24200 key end\nat 24250 key up\nat 24300 key return",
         menu + launch(24300, kUrl + " ") + timersEnd},
        {"", "at 24100 click right 10 20\nat 24200 key home\nat 24210 key a\nat 24300 menu 40003", menu + ending(24300)},
        {"", "at 24100 click right 10 20\nat 24200 key escape\nat 24300 key enter", menu + timersEnd},
        {"", "at 24100 click right 10 20\nat 24200 click right 10 20 menu 40003", menu + at(menu, 24200) + ending(24200)},
        {"", "at 20000 click right 10 20", at(menu, 20000) + timersEnd},
        {"--no-browser", "at 24000 click left 500 380\n" + answer + "40002",
         launch(24000, "null") + menu + launch(24100, "null") + launch(27520, "null") + ending(27520)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options + c.script);
        const ShowLog log = recordShow(c.options, c.script.empty() ? "" : c.script + "\n");
        ASSERT_EQ(log.status, 0) << log.errors;
        EXPECT_EQ(mainThreadEvents(log), c.expected);
        // No frame begins after the end, and the last began within a frame's sleep before it.
        const long long end = *intField(log.events.back(), "t_ms");
        const std::string &last = log.frames.back();
        EXPECT_GT(*intField(last, "t_ms"), end - *intField(last, "frameDelay"));
        EXPECT_LE(*intField(last, "t_ms"), end);
    }
}

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
