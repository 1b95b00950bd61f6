// The course of the whole show, seen from outside through howdy-record's log: which scene and
// which effects run in which frame, where the walker and the badge stand, when each frame begins,
// and in which frame each sound, purge and the exit timer happen. Every number here was worked
// out by hand from the show's rules for the screen in question; nothing below models the program.
#include "../support/run.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kRecord = HOWDY_RECORD;

// Two calendar times, and what the generator picks at them for the nine flight sounds that fall
// while the elephant flies on 1024 x 768 (frames 83, 95, 101, 107, 113, 119, 135, 141, 147; the
// clock then reads the time plus 7, 8, 9, 9, 9, 10, 11, 11, 11 seconds).
const std::string kTime = "1000000000";
const std::vector<std::string> kPicksAtTime = {"Quack2", "Elephant", "Quack1", "Quack1", "Quack1",
                                               "Elephant", "Quack2", "Quack2", "Elephant"};
const std::string kOtherTime = "1700000000";
const std::vector<std::string> kPicksAtOtherTime = {"Quack2", "Elephant", "Elephant", "Quack1", "Quack1",
                                                    "Quack1", "Quack2", "Elephant", "Quack2"};

// --- reading the log -----------------------------------------------------------------------

// The log's objects are flat, with integer and string values only, and no key occurs inside a
// value, so finding `"key":` is enough.
std::optional<long long> intField(const std::string &line, const std::string &key)
{
    const std::string tag = "\"" + key + "\":";
    std::size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::nullopt;
    at += tag.size();
    std::size_t end = at < line.size() && line[at] == '-' ? at + 1 : at;
    const std::size_t digits = end;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])))
        ++end;
    if (end == digits)
        return std::nullopt;
    return std::stoll(line.substr(at, end - at));
}

std::optional<std::string> stringField(const std::string &line, const std::string &key)
{
    const std::string tag = "\"" + key + "\":\"";
    std::size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::nullopt;
    at += tag.size();
    const std::size_t end = line.find('"', at);
    if (end == std::string::npos)
        return std::nullopt;
    return line.substr(at, end - at);
}

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
    ScratchFolder scratch;
    const std::string log = scratch / "show.jsonl";
    const RunResult result = run(kRecord + " " + options + " --log " + log);
    EXPECT_EQ(result.status, 0) << options << "\n" << result.errors;
    Recording recording;
    recording.log = readFile(log);
    for (const std::string &line : readLines(log)) {
        if (!stringField(line, "event")) {
            EXPECT_EQ(intField(line, "frame"), static_cast<long long>(recording.frames.size() + 1)) << line;
            recording.frames.push_back(line);
        } else if (auto frame = intField(line, "frame")) {
            // Events without a frame are the main thread's (the purge at WM_DESTROY, the exit).
            recording.events.push_back({*frame, intField(line, "t_ms").value_or(-1), describe(line)});
        }
    }
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

// A screen on which the walker leaves before the trip: no effect, no sound, one timer.
Course walkOnlyCourse(int through, Spans scene, Spans walkerX, Spans walkerY, int timerFrame)
{
    Course course;
    course.through = through;
    course.scene = std::move(scene);
    course.walkerX = std::move(walkerX);
    course.walkerY = std::move(walkerY);
    course.frameDelay = {{1, kEnd, 120}};
    course.tMs = {{1, kEnd, 0, 120}};
    course.timerArmed = {{timerFrame, kEnd, 1}};
    course.events = {{timerFrame, "timer 1 4000"}};
    return course;
}

// The whole show on 1024 x 768, frame by frame, with the given picks for the nine flight
// sounds that fall while the elephant flies.
Course showOn1024x768(const std::vector<std::string> &picks = kPicksAtTime)
{
    Course course;
    course.through = 296; // the timer's frame and 30 more
    course.scene = kSceneToTrip + Spans{{52, 189, 3}, {190, 221, 1}, {222, kEnd, 4}};
    // The trip stands at 549; frame E walks on from 564; 1029 > 1024 hands over to the badge,
    // which is first drawn at 1014 and rests at 369, the first x of its steps not above C = 381.
    course.walkerX = kWalkerXToTrip + Spans{{52, 189, 549}, {190, 221, 564, 15}, {222, 265, 1014, -15}, {266, kEnd, 369}};
    course.walkerY = {{1, 221, 652}, {222, kEnd, 285}};
    course.frameDelay = {{1, 51, 120}, {52, 189, 60}, {190, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(190);
    course.pulse = {{52, 189, 1}};
    // The trip writes the mouth's cue in frames 59 to 64; the mouth's sixteenth frame (75) clears it.
    course.mouth = {{59, 74, 1}};
    // Set by the end of a duck, cleared by the escape's eighth call.
    course.escape = {{84, 91, 1}, {124, 131, 2}};
    // The mouth's duck from its seventh frame, the escapes' ducks from their sixth calls.
    course.flight = {{66, 83, 3}, {90, 123, 1}, {130, 170, 2}, {171, kEnd, -1}};
    course.elephant = {{77, 151, 1}, {152, kEnd, -1}};
    // Cued by the red duck's sixth frame; gone on its 56th call (x 1030).
    course.creature = {{135, 189, 1}, {190, kEnd, -1}};
    course.timerArmed = {{266, kEnd, 1}};
    course.events = {
        // the mouth's duck, drawn frames 6, 12, 18 (the elephant is cued after its turn in 77)
        {71, "sound Quack2"}, {77, "sound Quack2"}, {83, "sound " + picks[0]},
        {90, "purge"}, {90, "sound Cannon"},
        // the yellow duck
        {95, "sound " + picks[1]}, {101, "sound " + picks[2]}, {107, "sound " + picks[3]},
        {113, "sound " + picks[4]}, {119, "sound " + picks[5]},
        {130, "purge"}, {130, "sound Cannon"},
        // the red duck; from frame 153 the elephant has gone and only quacks remain
        {135, "sound " + picks[6]}, {141, "sound " + picks[7]}, {147, "sound " + picks[8]},
        {153, "sound Quack2"}, {159, "sound Quack2"}, {165, "sound Quack2"},
        {190, "purge"},
        {266, "timer 1 4000"},
    };
    return course;
}

std::vector<ExpectedEvent> withoutNames(const std::vector<Event> &events)
{
    std::vector<ExpectedEvent> kinds;
    for (const Event &event : events)
        kinds.push_back({static_cast<int>(event.frame), event.what.rfind("sound ", 0) == 0 ? "sound" : event.what});
    return kinds;
}

// --- 1024 x 768 ----------------------------------------------------------------------------

TEST(ShowOn1024x768, RunsTheTabulatedCourseFrameByFrame)
{
    expectCourse(record("--size 1024x768 --max-frames 300 --time " + kTime), showOn1024x768());
}

TEST(ShowOn1024x768, TheSameTimeGivesTheSameLogAndChanceOnlyPicksTheNames)
{
    const Recording first = record("--size 1024x768 --max-frames 300 --time " + kOtherTime);
    const Recording second = record("--size 1024x768 --max-frames 300 --time " + kOtherTime);
    ASSERT_FALSE(first.log.empty());
    EXPECT_EQ(first.log, second.log);

    // Another time: the same frames and the same frames carrying sounds, other names.
    const Recording usual = record("--size 1024x768 --max-frames 300 --time " + kTime);
    EXPECT_EQ(first.frames, usual.frames);
    const std::vector<ExpectedEvent> kinds = withoutNames(usual.events);
    const std::vector<ExpectedEvent> otherKinds = withoutNames(first.events);
    ASSERT_EQ(otherKinds.size(), kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(otherKinds[i].frame, kinds[i].frame) << i;
        EXPECT_EQ(otherKinds[i].what, kinds[i].what) << i;
    }
    expectEvents(first, showOn1024x768(kPicksAtOtherTime).events);
}

TEST(ShowOn1024x768, AWorkAreaDownToTheBottomChangesNothingOfTheCourse)
{
    const Recording usual = record("--size 1024x768 --max-frames 300 --time " + kTime);
    const Recording noTaskbar = record("--size 1024x768 --max-frames 300 --workarea-bottom 768 --time " + kTime);
    const Recording tallTaskbar = record("--size 1024x768 --max-frames 300 --workarea-bottom 700 --time " + kTime);
    expectEvents(noTaskbar, showOn1024x768().events);
    EXPECT_EQ(noTaskbar.log, usual.log);
    EXPECT_EQ(tallTaskbar.log, usual.log);
}

// --- screens of other sizes ----------------------------------------------------------------

TEST(ShowOnOtherScreens, Screen640x480)
{
    // The mouth's duck leaves at its 16th call (x 651, y 494); the yellow duck at the right on
    // its 25th (x 650, y 107); the red duck at the bottom on its 42nd; the elephant on its 50th
    // call (x 654); the creature on its 37th (x 650), with the red duck: E = 158. Then seven walk
    // frames to 654 and the badge from 639 to C = 189 exactly, the timer a frame later.
    Course course;
    course.through = 226;
    course.scene = kSceneToTrip + Spans{{52, 157, 3}, {158, 164, 1}, {165, kEnd, 4}};
    course.walkerX = kWalkerXToTrip + Spans{{52, 157, 549}, {158, 164, 564, 15}, {165, 195, 639, -15}, {196, kEnd, 189}};
    course.walkerY = {{1, 164, 364}, {165, kEnd, 141}};
    course.frameDelay = {{1, 51, 120}, {52, 157, 60}, {158, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(158);
    course.pulse = {{52, 157, 1}};
    course.mouth = {{59, 74, 1}};
    course.escape = {{81, 88, 1}, {111, 118, 2}};
    course.flight = {{66, 80, 3}, {87, 110, 1}, {117, 157, 2}, {158, kEnd, -1}};
    course.elephant = {{77, 126, 1}, {127, kEnd, -1}};
    course.creature = {{122, 157, 1}, {158, kEnd, -1}};
    course.timerArmed = {{196, kEnd, 1}};
    course.events = {
        {71, "sound Quack2"}, {77, "sound Quack2"},
        {87, "purge"}, {87, "sound Cannon"},
        {92, "sound Quack1|Elephant"}, {98, "sound Quack1|Elephant"}, {104, "sound Quack1|Elephant"},
        {110, "sound Quack1|Elephant"},
        {117, "purge"}, {117, "sound Cannon"},
        {122, "sound Quack2|Elephant"}, {128, "sound Quack2"}, {134, "sound Quack2"}, {140, "sound Quack2"},
        {146, "sound Quack2"}, {152, "sound Quack2"},
        {158, "purge"},
        {196, "timer 1 4000"},
    };
    expectCourse(record("--size 640x480 --max-frames 232 --time " + kTime), course);
}

TEST(ShowOnOtherScreens, Screen800x480KeepsTheRedDuckFlyingAboveTheTopEdge)
{
    // The red duck, launched in frame 123, is above the top edge from t = 9 to 31 (frames 131 to
    // 153; t = 19 gives y -188.5) and still flies and quacks there; it ends on its 42nd call at
    // the bottom. Yellow duck: out at the right on its 31st call (x 800). E = 172 (creature's
    // 45th call, x 810); badge from 789 to 264, the first of its steps not above C = 269.
    Course course;
    course.through = 255;
    course.scene = kSceneToTrip + Spans{{52, 171, 3}, {172, 188, 1}, {189, kEnd, 4}};
    course.walkerX = kWalkerXToTrip + Spans{{52, 171, 549}, {172, 188, 564, 15}, {189, 224, 789, -15}, {225, kEnd, 264}};
    course.walkerY = {{1, 188, 364}, {189, kEnd, 141}};
    course.frameDelay = {{1, 51, 120}, {52, 171, 60}, {172, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(172);
    course.pulse = {{52, 171, 1}};
    course.mouth = {{59, 74, 1}};
    course.escape = {{81, 88, 1}, {117, 124, 2}};
    course.flight = {{66, 80, 3}, {87, 116, 1}, {123, 163, 2}, {164, kEnd, -1}};
    course.elephant = {{77, 136, 1}, {137, kEnd, -1}};
    course.creature = {{128, 171, 1}, {172, kEnd, -1}};
    course.timerArmed = {{225, kEnd, 1}};
    course.events = {
        {71, "sound Quack2"}, {77, "sound Quack2"},
        {87, "purge"}, {87, "sound Cannon"},
        {92, "sound Quack1|Elephant"}, {98, "sound Quack1|Elephant"}, {104, "sound Quack1|Elephant"},
        {110, "sound Quack1|Elephant"}, {116, "sound Quack1|Elephant"},
        {123, "purge"}, {123, "sound Cannon"},
        {128, "sound Quack2|Elephant"}, {134, "sound Quack2|Elephant"},
        {140, "sound Quack2"}, {146, "sound Quack2"}, {152, "sound Quack2"}, {158, "sound Quack2"},
        {172, "purge"},
        {225, "timer 1 4000"},
    };
    expectCourse(record("--size 800x480 --max-frames 262 --time " + kTime), course);
}

TEST(ShowOnOtherScreens, OddScreen1023x767RestsTheBadgeAt369)
{
    // C = 511 - 131 = 380; the badge's steps 1014, 999 ... 384, 369 stop at 369 as on 1024.
    // The odd height halves down: walker at 767 - 116 = 651, badge at 383 - 99 = 284. Nothing
    // of the trip changes: the mouth's duck still ends on its 19th call (y 779).
    Course course = showOn1024x768();
    course.walkerY = {{1, 221, 651}, {222, kEnd, 284}};
    expectCourse(record("--size 1023x767 --max-frames 300 --time " + kTime), course);
}

TEST(ShowOnOtherScreens, OddWidth999HalvesDownAndWalksOnAtTheEdge)
{
    // C = 499 - 131 = 368, so the badge passes 369 and rests at 354 (halving up would stop it
    // at 369). The walker reaches x 999 = screenWidth in frame 218 and still walks once more.
    // The elephant ends on its 73rd call (x 999 is not left of the edge), the creature on its
    // 55th (x 1010): E = 189.
    Course course;
    course.through = 294;
    course.scene = kSceneToTrip + Spans{{52, 188, 3}, {189, 219, 1}, {220, kEnd, 4}};
    course.walkerX = kWalkerXToTrip + Spans{{52, 188, 549}, {189, 219, 564, 15}, {220, 263, 999, -15}, {264, kEnd, 354}};
    course.walkerY = {{1, 219, 652}, {220, kEnd, 285}};
    course.frameDelay = {{1, 51, 120}, {52, 188, 60}, {189, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(189);
    course.pulse = {{52, 188, 1}};
    course.mouth = {{59, 74, 1}};
    course.escape = {{84, 91, 1}, {124, 131, 2}};
    course.flight = {{66, 83, 3}, {90, 123, 1}, {130, 170, 2}, {171, kEnd, -1}};
    course.elephant = {{77, 149, 1}, {150, kEnd, -1}};
    course.creature = {{135, 188, 1}, {189, kEnd, -1}};
    course.timerArmed = {{264, kEnd, 1}};
    course.events = {
        {71, "sound Quack2"}, {77, "sound Quack2"}, {83, "sound Quack2|Elephant"},
        {90, "purge"}, {90, "sound Cannon"},
        {95, "sound Quack1|Elephant"}, {101, "sound Quack1|Elephant"}, {107, "sound Quack1|Elephant"},
        {113, "sound Quack1|Elephant"}, {119, "sound Quack1|Elephant"},
        {130, "purge"}, {130, "sound Cannon"},
        {135, "sound Quack2|Elephant"}, {141, "sound Quack2|Elephant"}, {147, "sound Quack2|Elephant"},
        {153, "sound Quack2"}, {159, "sound Quack2"}, {165, "sound Quack2"},
        {189, "purge"},
        {264, "timer 1 4000"},
    };
    expectCourse(record("--size 999x768 --max-frames 300 --time " + kTime), course);
}

TEST(ShowOnOtherScreens, Screen1920x1080)
{
    // The mouth (901, 490) launches from 971 with base height 590: that duck ends on its 22nd
    // call (y 1106). The elephant flies 135 calls (to frame 212), the creature 101 (x 1930):
    // E = 238. The walker leaves at 1929 in frame 330; the badge rests at 819 (C = 829).
    Course course;
    course.through = 434;
    course.scene = kSceneToTrip + Spans{{52, 237, 3}, {238, 329, 1}, {330, kEnd, 4}};
    course.walkerX = kWalkerXToTrip + Spans{{52, 237, 549}, {238, 329, 564, 15}, {330, 403, 1914, -15}, {404, kEnd, 819}};
    course.walkerY = {{1, 329, 964}, {330, kEnd, 441}};
    course.frameDelay = {{1, 51, 120}, {52, 237, 60}, {238, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(238);
    course.pulse = {{52, 237, 1}};
    course.mouth = {{59, 74, 1}};
    course.escape = {{87, 94, 1}, {127, 134, 2}};
    course.flight = {{66, 86, 3}, {93, 126, 1}, {133, 173, 2}, {174, kEnd, -1}};
    course.elephant = {{77, 211, 1}, {212, kEnd, -1}};
    course.creature = {{138, 237, 1}, {238, kEnd, -1}};
    course.timerArmed = {{404, kEnd, 1}};
    course.events = {
        {71, "sound Quack2"}, {77, "sound Quack2"}, {83, "sound Quack2|Elephant"},
        {93, "purge"}, {93, "sound Cannon"},
        {98, "sound Quack1|Elephant"}, {104, "sound Quack1|Elephant"}, {110, "sound Quack1|Elephant"},
        {116, "sound Quack1|Elephant"}, {122, "sound Quack1|Elephant"},
        {133, "purge"}, {133, "sound Cannon"},
        {138, "sound Quack2|Elephant"}, {144, "sound Quack2|Elephant"}, {150, "sound Quack2|Elephant"},
        {156, "sound Quack2|Elephant"}, {162, "sound Quack2|Elephant"}, {168, "sound Quack2|Elephant"},
        {238, "purge"},
        {404, "timer 1 4000"},
    };
    expectCourse(record("--size 1920x1080 --max-frames 440 --time " + kTime), course);
}

TEST(ShowOnOtherScreens, Width540HandsOverToTheBadgeInFrameE)
{
    // 534 to 548 wide: the trip comes, but frame E's walk finds walkerX 549 past the edge, so
    // frame E already draws the badge (at 534), not the walker at 564. Mouth's duck out at the
    // right on its 13th call (x 541), yellow on its 21st (x 550), elephant on its 43rd (x 549),
    // creature on its 32nd (x 550); the red duck ends last: E = 151. Badge rests at 129 (C = 139).
    Course course;
    course.through = 209;
    course.scene = kSceneToTrip + Spans{{52, 150, 3}, {151, kEnd, 4}};
    course.walkerX = kWalkerXToTrip + Spans{{52, 150, 549}, {151, 178, 534, -15}, {179, kEnd, 129}};
    course.walkerY = {{1, 150, 652}, {151, kEnd, 285}};
    course.frameDelay = {{1, 51, 120}, {52, 150, 60}, {151, kEnd, 120}};
    course.tMs = timesWithTripEndingIn(151);
    course.pulse = {{52, 150, 1}};
    course.mouth = {{59, 74, 1}};
    course.escape = {{78, 85, 1}, {104, 111, 2}};
    course.flight = {{66, 77, 3}, {84, 103, 1}, {110, 150, 2}, {151, kEnd, -1}};
    course.elephant = {{77, 119, 1}, {120, kEnd, -1}};
    course.creature = {{115, 145, 1}, {146, kEnd, -1}};
    course.timerArmed = {{179, kEnd, 1}};
    course.events = {
        {71, "sound Quack2"}, {77, "sound Quack2"},
        {84, "purge"}, {84, "sound Cannon"},
        {89, "sound Quack1|Elephant"}, {95, "sound Quack1|Elephant"}, {101, "sound Quack1|Elephant"},
        {110, "purge"}, {110, "sound Cannon"},
        {115, "sound Quack2|Elephant"}, {121, "sound Quack2"}, {127, "sound Quack2"}, {133, "sound Quack2"},
        {139, "sound Quack2"}, {145, "sound Quack2"},
        {151, "purge"},
        {179, "timer 1 4000"},
    };
    expectCourse(record("--size 540x768 --max-frames 215 --time " + kTime), course);
}

TEST(ShowOnOtherScreens, NoTripBelow534)
{
    // 533: frame 51 starts with walkerX 534 > 533 before the eighth walk cycle, so the badge
    // comes at 519 and rests at 129 (C = 135); nothing of the trip ever runs.
    expectCourse(record("--size 533x768 --max-frames 115 --time " + kTime),
                 walkOnlyCourse(108, {{1, 25, 1}, {26, 32, 2}, {33, 50, 1}, {51, kEnd, 4}},
                                {{1, 25, -106, 15}, {26, 32, 279}, {33, 50, 279, 15}, {51, 77, 519, -15}, {78, kEnd, 129}},
                                {{1, 50, 652}, {51, kEnd, 285}}, 78));
    // 400 x 300: the badge comes in frame 43 at 399 and rests at C = 69 exactly; rows 184 and 51.
    expectCourse(record("--size 400x300 --max-frames 105 --time " + kTime),
                 walkOnlyCourse(96, {{1, 25, 1}, {26, 32, 2}, {33, 42, 1}, {43, kEnd, 4}},
                                {{1, 25, -106, 15}, {26, 32, 279}, {33, 42, 279, 15}, {43, 65, 399, -15}, {66, kEnd, 69}},
                                {{1, 42, 184}, {43, kEnd, 51}}, 66));
}

TEST(ShowOnOtherScreens, Width240StartsTheBadgeRightOfTheScreen)
{
    // 239 to 248 wide: the swallow comes; leaving it at 264 > 240 hands over to the badge in
    // frame 33, first drawn at 249, right of the screen. C = -11: it rests at -21.
    expectCourse(record("--size 240x768 --max-frames 90 --time " + kTime),
                 walkOnlyCourse(82, {{1, 25, 1}, {26, 32, 2}, {33, kEnd, 4}},
                                {{1, 25, -106, 15}, {26, 32, 279}, {33, 51, 249, -15}, {52, kEnd, -21}},
                                {{1, 32, 652}, {33, kEnd, 285}}, 52));
}

TEST(ShowOnOtherScreens, NoSwallowBelow239)
{
    // 238: frame 25 starts at 239 > 238 with three walk cycles done; the badge rests at -16
    // (C = -12).
    expectCourse(record("--size 238x768 --max-frames 80 --time " + kTime),
                 walkOnlyCourse(72, {{1, 24, 1}, {25, kEnd, 4}}, {{1, 24, -106, 15}, {25, 41, 224, -15}, {42, kEnd, -16}},
                                {{1, 24, 652}, {25, kEnd, 285}}, 42));
    // 200 x 201: the badge comes in frame 23 at 194 and rests at C = -31 exactly; the odd height
    // halves down, so the badge's row is 100 - 99 = 1.
    expectCourse(record("--size 200x201 --max-frames 75 --time " + kTime),
                 walkOnlyCourse(69, {{1, 22, 1}, {23, kEnd, 4}}, {{1, 22, -106, 15}, {23, 38, 194, -15}, {39, kEnd, -31}},
                                {{1, 22, 85}, {23, kEnd, 1}}, 39));
}

} // namespace
