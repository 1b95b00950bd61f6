// The course of the whole show, seen from outside through howdy-record's log: which scene and
// which effects run in which frame, where the walker and the badge stand, when each frame begins,
// and in which frame each sound, purge and the exit timer happen. The frames in which things end
// and the badge's positions were worked out by hand for each screen; the course in between
// follows from the show's fixed steps.
#include "../support/show_log.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Two calendar times, and what the generator picks at them for the nine flight sounds that fall
// while the elephant flies on 1024 x 768 (frames 83, 95, 101, 107, 113, 119, 135, 141, 147; the
// clock then reads the time plus 7, 8, 9, 9, 9, 10, 11, 11, 11 seconds).
const std::string kTime = "1000000000";
const std::vector<std::string> kPicksAtTime = {"Quack2", "Elephant", "Quack1", "Quack1", "Quack1",
                                               "Elephant", "Quack2", "Quack2", "Elephant"};
const std::string kOtherTime = "1700000000";
const std::vector<std::string> kPicksAtOtherTime = {"Quack2", "Elephant", "Elephant", "Quack1", "Quack1",
                                                    "Quack1", "Quack2", "Elephant", "Quack2"};

// An outside effect that the render thread caused while composing `frame`.
struct Event {
    long long frame = 0;
    long long t = 0;
    std::string what; // "sound Quack2", "purge", "timer 1 4000"
};

struct Recording {
    std::string log;                 // the whole log, to compare runs
    std::vector<std::string> frames; // frames[i] is the line of frame i + 1
    std::vector<Event> events;       // in the order they happened
};

std::string describe(const std::string &line)
{
    const std::string kind = stringField(line, "event").value_or("?");
    if (kind == "sound")
        return "sound " + stringField(line, "name").value_or("?");
    if (kind == "timer")
        return "timer " + std::to_string(intField(line, "id").value_or(-1)) + " " +
               std::to_string(intField(line, "ms").value_or(-1));
    return kind;
}

Recording record(const std::string &options)
{
    const ShowLog log = recordShow(options);
    EXPECT_EQ(log.status, 0) << options << "\n" << log.errors;
    Recording recording{log.text, log.frames, {}};
    for (std::size_t i = 0; i < log.frames.size(); ++i)
        EXPECT_EQ(intField(log.frames[i], "frame"), static_cast<long long>(i + 1)) << log.frames[i];
    // Events without a frame are the main thread's (input, the launcher, WM_DESTROY's purge).
    for (const std::string &line : log.events)
        if (auto frame = intField(line, "frame"))
            recording.events.push_back({*frame, intField(line, "t_ms").value_or(-1), describe(line)});
    return recording;
}

// --- the expected course -------------------------------------------------------------------

constexpr int kEnd = 1 << 30; // a span's last frame: through the last frame checked

// Frames `first` to `last` in which a logged field holds `value` in frame `first` and `step`
// more in each later frame. Frames outside every span of a field must log 0.
struct Span {
    int first, last;
    long long value;
    long long step = 0;
};
using Spans = std::vector<Span>;

Spans operator+(Spans a, const Spans &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `what` may offer alternatives after "sound ": "sound Quack1|Elephant".
struct ExpectedEvent {
    int frame;
    std::string what;
};

struct Course {
    int through = 0; // frames 1 to `through` are checked
    Spans scene, walkerX, walkerY, frameDelay, tMs, pulse, mouth, escape, flight, elephant, creature, timerArmed;
    std::vector<ExpectedEvent> events; // every event of the render thread, in order
};

// The walk, the swallow and the walk on to the trip in frame 52, on any screen 534 or more wide.
const Spans kSceneToTrip = {{1, 25, 1}, {26, 32, 2}, {33, 51, 1}};
const Spans kWalkerXToTrip = {{1, 25, -106, 15}, {26, 32, 279}, {33, 51, 279, 15}};

// Frames 1 to 52 every 120 ms, then 60 ms frames through frame E, then 120 ms again.
Spans timesWithTripEndingIn(int e)
{
    const long long tE = 6120 + 60LL * (e - 52);
    return {{1, 52, 0, 120}, {53, e, 6180, 60}, {e + 1, kEnd, tE + 120, 120}};
}

bool matches(const std::string &what, const std::string &expected)
{
    const std::string sound = "sound ";
    if (expected.rfind(sound, 0) != 0)
        return what == expected;
    if (what.rfind(sound, 0) != 0)
        return false;
    std::stringstream names(expected.substr(sound.size()));
    for (std::string name; std::getline(names, name, '|');)
        if (what == sound + name)
            return true;
    return false;
}

void expectField(const Recording &recording, const char *field, const Spans &spans, int through)
{
    std::string mismatches;
    int count = 0;
    for (int frame = 1; frame <= through && frame <= static_cast<int>(recording.frames.size()); ++frame) {
        long long expected = 0;
        for (const Span &span : spans)
            if (frame >= span.first && frame <= span.last)
                expected = span.value + span.step * (frame - span.first);
        const std::string &line = recording.frames[static_cast<std::size_t>(frame - 1)];
        const std::optional<long long> logged = intField(line, field);
        if (logged != expected && ++count <= 6)
            mismatches += "\n  frame " + std::to_string(frame) + ": " +
                          (logged ? std::to_string(*logged) : std::string("missing")) + ", expected " +
                          std::to_string(expected);
    }
    EXPECT_EQ(count, 0) << field << " differs in " << count << " frames:" << mismatches;
}

void expectEvents(const Recording &recording, const std::vector<ExpectedEvent> &expected)
{
    std::string logged, wanted;
    for (const Event &event : recording.events)
        logged += "\n  " + std::to_string(event.frame) + " " + event.what;
    for (const ExpectedEvent &event : expected)
        wanted += "\n  " + std::to_string(event.frame) + " " + event.what;
    std::size_t agree = 0;
    while (agree < expected.size() && agree < recording.events.size() &&
           recording.events[agree].frame == expected[agree].frame &&
           matches(recording.events[agree].what, expected[agree].what))
        ++agree;
    EXPECT_TRUE(agree == expected.size() && agree == recording.events.size())
        << "events differ from event " << agree + 1 << " on; logged:" << logged << "\nexpected:" << wanted;
    // An event happens at the time of the frame in which it was caused.
    for (const Event &event : recording.events) {
        if (event.frame >= 1 && event.frame <= static_cast<long long>(recording.frames.size())) {
            EXPECT_EQ(event.t, intField(recording.frames[static_cast<std::size_t>(event.frame - 1)], "t_ms"))
                << event.frame << " " << event.what;
        }
    }
}

void expectCourse(const Recording &recording, const Course &course)
{
    ASSERT_GE(recording.frames.size(), static_cast<std::size_t>(course.through));
    expectField(recording, "scene", course.scene, course.through);
    expectField(recording, "walkerX", course.walkerX, course.through);
    expectField(recording, "walkerY", course.walkerY, course.through);
    expectField(recording, "frameDelay", course.frameDelay, course.through);
    expectField(recording, "t_ms", course.tMs, course.through);
    expectField(recording, "pulse", course.pulse, course.through);
    expectField(recording, "mouth", course.mouth, course.through);
    expectField(recording, "escape", course.escape, course.through);
    expectField(recording, "flight", course.flight, course.through);
    expectField(recording, "elephant", course.elephant, course.through);
    expectField(recording, "creature", course.creature, course.through);
    expectField(recording, "timerArmed", course.timerArmed, course.through);
    expectEvents(recording, course.events);
}

// A screen 534 or more wide, on which the trip comes, by the frames in which things end: what
// happens in between follows from the show's fixed steps (the mouth from frame 60 launching its
// duck in 66, an escape lasting eight frames and launching its duck in its sixth, a duck
// quacking every sixth frame it draws, the elephant cued in frames 77 to 82).
struct TripScreen {
    const char *size;
    int mouthDuckEnds, yellowDuckEnds, redDuckEnds; // the frames that log each duck's landing
    int elephantEnds, creatureEnds;                 // the frames that log -1
    int tripEnds;                                   // E
    int badgeFrame, badgeX, restX, timerFrame;      // the badge's first frame and x, where it rests
    int walkerY, badgeY;
};

// The frames in which a duck launched in `launch` quacks before it lands in `lands`; while the
// elephant flies, chance may swap a quack for its trumpet.
void addQuacks(std::vector<ExpectedEvent> &events, int launch, int lands, const std::string &quack, int elephantEnds)
{
    for (int frame = launch + 5; frame < lands; frame += 6)
        events.push_back({frame, "sound " + quack + (frame > 77 && frame <= elephantEnds ? "|Elephant" : "")});
}

Course tripCourse(const TripScreen &s)
{
    const int d1 = s.mouthDuckEnds, d2 = s.yellowDuckEnds, d3 = s.redDuckEnds, e = s.tripEnds;
    Course course;
    course.through = s.timerFrame + 30;
    course.scene = kSceneToTrip + Spans{{52, e - 1, 3}, {e, s.badgeFrame - 1, 1}, {s.badgeFrame, kEnd, 4}};
    course.walkerX = kWalkerXToTrip + Spans{{52, e - 1, 549},
                                            {e, s.badgeFrame - 1, 564, 15},
                                            {s.badgeFrame, s.timerFrame - 1, s.badgeX, -15},
                                            {s.timerFrame, kEnd, s.restX}};
    course.walkerY = {{1, s.badgeFrame - 1, s.walkerY}, {s.badgeFrame, kEnd, s.badgeY}};
    course.frameDelay = {{1, 51, 120}, {52, e - 1, 60}, {e, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(e);
    course.pulse = {{52, e - 1, 1}};
    // The trip writes the mouth's cue in frames 59 to 64; the mouth's sixteenth frame (75) clears it.
    course.mouth = {{59, 74, 1}};
    // Set by the landing of a duck, cleared by the escape's eighth call.
    course.escape = {{d1, d1 + 7, 1}, {d2, d2 + 7, 2}};
    course.flight = {{66, d1 - 1, 3}, {d1 + 6, d2 - 1, 1}, {d2 + 6, d3 - 1, 2}, {d3, kEnd, -1}};
    course.elephant = {{77, s.elephantEnds - 1, 1}, {s.elephantEnds, kEnd, -1}};
    // Cued by the red duck's sixth frame.
    course.creature = {{d2 + 11, s.creatureEnds - 1, 1}, {s.creatureEnds, kEnd, -1}};
    course.timerArmed = {{s.timerFrame, kEnd, 1}};
    // The elephant is cued after the flight's turn in frame 77, so that quack is never swapped.
    addQuacks(course.events, 66, d1, "Quack2", s.elephantEnds);
    course.events.insert(course.events.end(), {{d1 + 6, "purge"}, {d1 + 6, "sound Cannon"}});
    addQuacks(course.events, d1 + 6, d2, "Quack1", s.elephantEnds);
    course.events.insert(course.events.end(), {{d2 + 6, "purge"}, {d2 + 6, "sound Cannon"}});
    addQuacks(course.events, d2 + 6, d3, "Quack2", s.elephantEnds);
    course.events.insert(course.events.end(), {{e, "purge"}, {s.timerFrame, "timer 1 4000"}});
    return course;
}

Recording recordScreen(const TripScreen &s)
{
    return record(std::string("--size ") + s.size + " --max-frames " + std::to_string(s.timerFrame + 36) +
                  " --time " + kTime);
}

// Worked out by hand for each screen:
// - 1024 x 768: the mouth's duck leaves at the bottom on its 19th call; the elephant on its 75th
//   (x 1029); the creature on its 56th (x 1030). The walker is past 1024 at 1029 in frame 222,
//   the badge rests at 369, the first of its steps not above C = 381.
// - 1023 x 767: the same frames; C = 380 still stops at 369; the odd height halves down.
// - 640 x 480: mouth's duck out on its 16th call (x 651, y 494), yellow at the right on its 25th
//   (x 650, y 107), red at the bottom on its 42nd, elephant on its 50th (x 654), creature on its
//   37th (x 650) with the red duck; the badge from 639 to C = 189 exactly.
// - 800 x 480: the red duck is above the top edge from t = 9 to 31 and still flies and quacks
//   there, landing at the bottom on its 42nd call; the yellow duck is out at x 800 on its 31st
//   call; C = 269 stops the badge at 264.
// - 999 x 768: C = 368, so the badge passes 369 and rests at 354 (halving up would stop it at
//   369); the walker reaches x 999 = screenWidth in frame 218 and still walks once more; the
//   elephant ends at x 999, which is not left of the edge.
// - 1920 x 1080: the mouth (901, 490) launches from 971 with base height 590, landing on its
//   22nd call (y 1106); the elephant flies 135 calls, the creature 101 (x 1930).
// - 540 x 768 (534 to 548 wide): frame E's walk finds walkerX 549 past the edge, so frame E
//   already draws the badge, at 534; the red duck ends last, after the creature.
const TripScreen k1024x768 = {"1024x768", 84, 124, 171, 152, 190, 190, 222, 1014, 369, 266, 652, 285};
const TripScreen kTripScreens[] = {
    k1024x768,
    {"1023x767", 84, 124, 171, 152, 190, 190, 222, 1014, 369, 266, 651, 284},
    {"640x480", 81, 111, 158, 127, 158, 158, 165, 639, 189, 196, 364, 141},
    {"800x480", 81, 117, 164, 137, 172, 172, 189, 789, 264, 225, 364, 141},
    {"999x768", 84, 124, 171, 150, 189, 189, 220, 999, 354, 264, 652, 285},
    {"1920x1080", 87, 127, 174, 212, 238, 238, 330, 1914, 819, 404, 964, 441},
    {"540x768", 78, 104, 151, 120, 146, 151, 151, 534, 129, 179, 652, 285},
};

// The nine sounds that fall while the elephant flies on 1024 x 768, as the generator picks them.
Course withPicks(Course course, const std::vector<std::string> &picks)
{
    std::size_t next = 0;
    for (ExpectedEvent &event : course.events)
        if (event.what.find('|') != std::string::npos)
            event.what = "sound " + picks.at(next++);
    EXPECT_EQ(next, picks.size());
    return course;
}

// --- the tests -------------------------------------------------------------------------------

TEST(ShowOnTripScreens, RunTheirCoursesFrameByFrame)
{
    for (const TripScreen &screen : kTripScreens) {
        SCOPED_TRACE(screen.size);
        expectCourse(recordScreen(screen), tripCourse(screen));
    }
}

TEST(ShowOn1024x768, TheSameTimeGivesTheSameLogChanceOnlyPicksTheNamesAndTheWorkAreaChangesNothing)
{
    const Recording first = record("--size 1024x768 --max-frames 300 --time " + kOtherTime);
    const Recording second = record("--size 1024x768 --max-frames 300 --time " + kOtherTime);
    ASSERT_FALSE(first.log.empty());
    EXPECT_EQ(first.log, second.log);
    const Recording usual = record("--size 1024x768 --max-frames 300 --time " + kTime);
    EXPECT_EQ(first.frames, usual.frames);
    expectEvents(usual, withPicks(tripCourse(k1024x768), kPicksAtTime).events);
    expectEvents(first, withPicks(tripCourse(k1024x768), kPicksAtOtherTime).events);
    for (const char *bottom : {"768", "700"})
        EXPECT_EQ(record("--size 1024x768 --max-frames 300 --workarea-bottom " + std::string(bottom) + " --time " + kTime)
                      .log,
                  usual.log)
            << bottom;
}

// Screens on which the walker leaves before the trip: no effect, no sound, one timer.
TEST(ShowOnNarrowScreens, RunTheirCoursesFrameByFrame)
{
    const struct {
        const char *size;
        Spans scene, walkerX, walkerY;
        int timerFrame;
    } screens[] = {
        // 533: frame 51 starts with walkerX 534 > 533 before the eighth walk cycle, so the badge
        // comes at 519 and rests at 129 (C = 135); nothing of the trip ever runs.
        {"533x768", {{1, 25, 1}, {26, 32, 2}, {33, 50, 1}, {51, kEnd, 4}},
         {{1, 25, -106, 15}, {26, 32, 279}, {33, 50, 279, 15}, {51, 77, 519, -15}, {78, kEnd, 129}},
         {{1, 50, 652}, {51, kEnd, 285}}, 78},
        // 400 x 300: the badge comes in frame 43 at 399 and rests at C = 69 exactly; rows 184, 51.
        {"400x300", {{1, 25, 1}, {26, 32, 2}, {33, 42, 1}, {43, kEnd, 4}},
         {{1, 25, -106, 15}, {26, 32, 279}, {33, 42, 279, 15}, {43, 65, 399, -15}, {66, kEnd, 69}},
         {{1, 42, 184}, {43, kEnd, 51}}, 66},
        // 239 to 248 wide: the swallow comes; leaving it at 264 > 240 hands over to the badge in
        // frame 33, first drawn at 249, right of the screen. C = -11: it rests at -21.
        {"240x768", {{1, 25, 1}, {26, 32, 2}, {33, kEnd, 4}},
         {{1, 25, -106, 15}, {26, 32, 279}, {33, 51, 249, -15}, {52, kEnd, -21}}, {{1, 32, 652}, {33, kEnd, 285}}, 52},
        // 238: frame 25 starts at 239 > 238 with three walk cycles done: no swallow; the badge
        // rests at -16 (C = -12).
        {"238x768", {{1, 24, 1}, {25, kEnd, 4}}, {{1, 24, -106, 15}, {25, 41, 224, -15}, {42, kEnd, -16}},
         {{1, 24, 652}, {25, kEnd, 285}}, 42},
        // 200 x 201: the badge comes in frame 23 at 194 and rests at C = -31 exactly; the odd
        // height halves down, so the badge's row is 100 - 99 = 1.
        {"200x201", {{1, 22, 1}, {23, kEnd, 4}}, {{1, 22, -106, 15}, {23, 38, 194, -15}, {39, kEnd, -31}},
         {{1, 22, 85}, {23, kEnd, 1}}, 39},
    };
    for (const auto &screen : screens) {
        SCOPED_TRACE(screen.size);
        Course course;
        course.through = screen.timerFrame + 30;
        course.scene = screen.scene;
        course.walkerX = screen.walkerX;
        course.walkerY = screen.walkerY;
        course.frameDelay = {{1, kEnd, 120}};
        course.tMs = {{1, kEnd, 0, 120}};
        course.timerArmed = {{screen.timerFrame, kEnd, 1}};
        course.events = {{screen.timerFrame, "timer 1 4000"}};
        expectCourse(record(std::string("--size ") + screen.size + " --time " + kTime), course);
    }
}

} // namespace
