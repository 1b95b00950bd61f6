// The whole show's course through howdy-record's log: the scene and effects of each frame, where
// the walker and the badge stand, when each frame begins, and the frame of each sound, purge and
// the exit timer. What ends when was worked out by hand; the rest follows from the fixed steps.
#include "../support/run.h"

#include "../../tools/record/log_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

// Two calendar times, and what the generator picks at them for the nine flight sounds that fall
// while the elephant flies on 1024 x 768 (frames 83, 95, 101, 107, 113, 119, 135, 141, 147; the
// clock then reads the time plus 7, 8, 9, 9, 9, 10, 11, 11, 11 seconds).
const std::string kTime = "1000000000";
const std::vector<std::string> kPicksAtTime = {"Quack2",   "Elephant", "Quack1", "Quack1",  "Quack1",
                                               "Elephant", "Quack2",   "Quack2", "Elephant"};
const std::string kOtherTime = "1700000000";
const std::vector<std::string> kPicksAtOtherTime = {"Quack2", "Elephant", "Elephant", "Quack1", "Quack1",
                                                    "Quack1", "Quack2",   "Elephant", "Quack2"};

ShowLog record(const std::string &options)
{
    const ShowLog log = recordShow(options);
    EXPECT_EQ(log.status, 0) << options << "\n" << log.errors;
    return log;
}

// The outside effects the render thread caused, a line each ("83 sound Quack2", "90 purge",
// "266 timer 1 4000"), against `expected`, a pattern where a sound may offer alternatives,
// "sound (Quack1|Elephant)". Events without a frame are the main thread's (input, the launcher,
// WM_DESTROY's purge). An event happens at the time of the frame in which it was caused.
void expectEvents(const ShowLog &log, const std::string &expected)
{
    std::string logged;
    for (const std::string &line : log.events) {
        const std::optional<long long> frame = intField(line, "frame");
        if (!frame)
            continue;
        if (*frame >= 1 && *frame <= static_cast<long long>(log.frames.size())) {
            EXPECT_EQ(intField(line, "t_ms"), intField(log.frames[std::size_t(*frame - 1)], "t_ms")) << line;
        }
        const std::string kind = stringField(line, "event").value_or("?");
        logged += std::to_string(*frame) + " " + kind;
        if (kind == "sound")
            logged += std::string(" ") + stringField(line, "name").value_or("?");
        if (kind == "timer")
            logged += std::string(" ") + std::to_string(intField(line, "id").value_or(-1)) + " " +
                      std::to_string(intField(line, "ms").value_or(-1));
        logged += "\n";
    }
    EXPECT_TRUE(std::regex_match(logged, std::regex(expected))) << "logged:\n" << logged << "expected:\n" << expected;
}

constexpr int kEnd = 1 << 30; // a span's last frame: through the last frame checked

// Frames `first` to `last` in which a logged field holds `value` in frame `first` and `step`
// more in each later frame. Where spans overlap, the later one counts; frames outside every span
// of a field must log 0.
struct Span {
    int first, last;
    long long value;
    long long step = 0;
};
using Spans = std::vector<Span>;

#define FIELD_NAME(name, value) name,
const char *const kFields[] = {LOG_FIELDS(FIELD_NAME)};
#undef FIELD_NAME

struct Course {
    int through = 0;                     // frames 1 to `through` are checked
    std::map<std::string, Spans> fields; // a field not here logs 0 throughout
    std::string events;                  // every event of the render thread, in order
};

void addEvent(std::string &events, int frame, const std::string &what)
{
    events += std::to_string(frame) + " " + what + "\n";
}

void expectCourse(const ShowLog &log, Course course)
{
    ASSERT_GE(log.frames.size(), static_cast<std::size_t>(course.through));
    for (const char *field : kFields) {
        std::string mismatches;
        int count = 0;
        for (int frame = 1; frame <= course.through; ++frame) {
            long long expected = 0;
            for (const Span &span : course.fields[field])
                if (frame >= span.first && frame <= span.last)
                    expected = span.value + span.step * (frame - span.first);
            const std::optional<long long> logged = intField(log.frames[std::size_t(frame - 1)], field);
            if (logged != expected && ++count <= 6)
                mismatches += "\n  frame " + std::to_string(frame) + ": " +
                              (logged ? std::to_string(*logged) : std::string("missing")) + ", expected " +
                              std::to_string(expected);
        }
        EXPECT_EQ(count, 0) << field << " differs in " << count << " frames:" << mismatches;
    }
    expectEvents(log, course.events);
}

// A screen by the frames in which things end: what happens in between follows from the show's
// fixed steps (the mouth from frame 60 launching its duck in 66, an escape lasting eight frames
// and launching its duck in its sixth, a duck quacking every sixth frame it draws, the elephant
// cued in frames 77 to 82). The badge slides left 15 a frame from its first frame and x; the exit
// timer is armed in the frame after it reaches its rest.
struct Screen {
    const char *size;
    int badgeFrame, badgeX, restX, walkerY, badgeY;
    int tripEnds = 0;                                           // E; 0 where the walker leaves before the trip
    int mouthDuckEnds = 0, yellowDuckEnds = 0, redDuckEnds = 0; // the frames that log each duck's landing
    int elephantEnds = 0, creatureEnds = 0;                     // the frames that log -1
    int timerFrame() const { return badgeFrame + (badgeX - restX) / 15 + 1; }
};

// The frames in which a duck launched in `launch` quacks before it lands in `lands`; while the
// elephant flies, chance may swap a quack for its trumpet.
void addQuacks(std::string &events, int launch, int lands, const std::string &quack, int elephantEnds)
{
    for (int frame = launch + 5; frame < lands; frame += 6)
        addEvent(events, frame,
                 frame > 77 && frame <= elephantEnds ? "sound (" + quack + "|Elephant)" : "sound " + quack);
}

Course courseOf(const Screen &s)
{
    const int d1 = s.mouthDuckEnds, d2 = s.yellowDuckEnds, d3 = s.redDuckEnds, e = s.tripEnds, timer = s.timerFrame();
    Course course;
    course.through = timer + 30;
    course.fields["frame"] = {{1, kEnd, 1, 1}};
    // The walk, the swallow and the walk on to the trip in frame 52, if the walker gets so far;
    // the badge's spans, added last, cut them off.
    Spans &scene = course.fields["scene"], &walkerX = course.fields["walkerX"];
    scene = {{1, 25, 1}, {26, 32, 2}, {33, 51, 1}};
    walkerX = {{1, 25, -106, 15}, {26, 32, 279}, {33, 51, 279, 15}};
    if (e) {
        scene.insert(scene.end(), {{52, e - 1, 3}, {e, s.badgeFrame - 1, 1}});
        walkerX.insert(walkerX.end(), {{52, e - 1, 549}, {e, s.badgeFrame - 1, 564, 15}});
    }
    scene.push_back({s.badgeFrame, kEnd, 4});
    walkerX.insert(walkerX.end(), {{s.badgeFrame, timer - 1, s.badgeX, -15}, {timer, kEnd, s.restX}});
    course.fields["walkerY"] = {{1, s.badgeFrame - 1, s.walkerY}, {s.badgeFrame, kEnd, s.badgeY}};
    course.fields["timerArmed"] = {{timer, kEnd, 1}};
    course.fields["frameDelay"] = {{1, kEnd, 120}, {52, e - 1, 60}};
    if (!e) {
        course.fields["t_ms"] = {{1, kEnd, 0, 120}};
        addEvent(course.events, timer, "timer 1 4000");
        return course;
    }
    // Frames 1 to 52 every 120 ms, then 60 ms frames through frame E, then 120 ms again.
    course.fields["t_ms"] = {{1, 52, 0, 120}, {53, e, 6180, 60}, {e + 1, kEnd, 6120 + 60LL * (e - 52) + 120, 120}};
    course.fields["pulse"] = {{52, e - 1, 1}};
    // The trip writes the mouth's cue in frames 59 to 64; the mouth's 16th frame (75) clears it.
    course.fields["mouth"] = {{59, 74, 1}};
    // Set by the landing of a duck, cleared by the escape's eighth call.
    course.fields["escape"] = {{d1, d1 + 7, 1}, {d2, d2 + 7, 2}};
    course.fields["flight"] = {{66, d1 - 1, 3}, {d1 + 6, d2 - 1, 1}, {d2 + 6, d3 - 1, 2}, {d3, kEnd, -1}};
    course.fields["elephant"] = {{77, s.elephantEnds - 1, 1}, {s.elephantEnds, kEnd, -1}};
    // Cued by the red duck's sixth frame.
    course.fields["creature"] = {{d2 + 11, s.creatureEnds - 1, 1}, {s.creatureEnds, kEnd, -1}};
    // The elephant is cued after the flight's turn in frame 77, so that quack is never swapped.
    addQuacks(course.events, 66, d1, "Quack2", s.elephantEnds);
    addEvent(course.events, d1 + 6, "purge");
    addEvent(course.events, d1 + 6, "sound Cannon");
    addQuacks(course.events, d1 + 6, d2, "Quack1", s.elephantEnds);
    addEvent(course.events, d2 + 6, "purge");
    addEvent(course.events, d2 + 6, "sound Cannon");
    addQuacks(course.events, d2 + 6, d3, "Quack2", s.elephantEnds);
    addEvent(course.events, e, "purge");
    addEvent(course.events, timer, "timer 1 4000");
    return course;
}

// Worked out by hand for each screen (C is the badge's centred x, where it stops):
// - 1024 x 768: the mouth's duck leaves at the bottom on its 19th call, the elephant on its 75th
//   (x 1029), the creature on its 56th (x 1030); the walker passes 1024 at 1029 in frame 222; the
//   badge rests at 369, its first step not above C = 381. 1023 x 767: the same; C = 380; the odd
//   height halves down.
// - 640 x 480: ducks out on their 16th (x 651, y 494), 25th (x 650, y 107) and 42nd calls,
//   elephant on its 50th (x 654), creature on its 37th (x 650); the badge from 639 to C = 189.
// - 800 x 480: the red duck flies and quacks above the top edge from t = 9 to 31, landing on its
//   42nd call; the yellow is out at x 800 on its 31st; C = 269 stops the badge at 264.
// - 999 x 768: C = 368, so the badge passes 369 and rests at 354; the walker reaches x 999 in
//   frame 218 and walks once more; the elephant ends at x 999, not left of the edge.
// - 1920 x 1080: the mouth (901, 490) launches from 971 at base height 590, landing on its 22nd
//   call (y 1106); the elephant flies 135 calls, the creature 101 (x 1930).
// - 540 x 768 (534 to 548 wide): frame E's walk finds walkerX 549 past the edge, so E draws the
//   badge, at 534; the red duck ends last, after the creature.
// The walker leaves the next screens before the trip: no effect, no sound, one timer.
// - 533: frame 51 starts at 534 > 533 before the eighth walk cycle: badge at 519, rest 129 (C 135).
// - 400 x 300: the badge comes in frame 43 at 399 and rests at C = 69; rows 184, 51.
// - 239 to 248 wide: the swallow's exit at 264 > 240 hands over in frame 33, the badge first at
//   249, right of the screen; C = -11: it rests at -21. 238: frame 25 starts at 239 with three
//   walk cycles done, no swallow; it rests at -16 (C = -12).
// - 200 x 201: the badge comes in frame 23 at 194, rests at C = -31; its row is 100 - 99 = 1.
const Screen k1024x768 = {"1024x768", 222, 1014, 369, 652, 285, 190, 84, 124, 171, 152, 190};
const Screen kScreens[] = {
    k1024x768,
    {"1023x767", 222, 1014, 369, 651, 284, 190, 84, 124, 171, 152, 190},
    {"640x480", 165, 639, 189, 364, 141, 158, 81, 111, 158, 127, 158},
    {"800x480", 189, 789, 264, 364, 141, 172, 81, 117, 164, 137, 172},
    {"999x768", 220, 999, 354, 652, 285, 189, 84, 124, 171, 150, 189},
    {"1920x1080", 330, 1914, 819, 964, 441, 238, 87, 127, 174, 212, 238},
    {"540x768", 151, 534, 129, 652, 285, 151, 78, 104, 151, 120, 146},
    {"533x768", 51, 519, 129, 652, 285},
    {"400x300", 43, 399, 69, 184, 51},
    {"240x768", 33, 249, -21, 652, 285},
    {"238x768", 25, 224, -16, 652, 285},
    {"200x201", 23, 194, -31, 85, 1},
};

// Each alternative of the events in turn, as the generator picks it.
std::string withPicks(std::string events, const std::vector<std::string> &picks)
{
    std::size_t used = 0;
    for (std::size_t at; (at = events.find('(')) != std::string::npos;)
        events.replace(at, events.find(')', at) + 1 - at, picks.at(used++));
    EXPECT_EQ(used, picks.size());
    return events;
}

TEST(ShowOnEachScreen, RunsItsCourseFrameByFrame)
{
    for (const Screen &screen : kScreens) {
        SCOPED_TRACE(screen.size);
        expectCourse(record(std::string("--size ") + screen.size + " --max-frames " +
                            std::to_string(screen.timerFrame() + 36) + " --time " + kTime),
                     courseOf(screen));
    }
}

TEST(ShowOn1024x768, TheSameTimeGivesTheSameLogChanceOnlyPicksTheNamesAndTheWorkAreaChangesNothing)
{
    const std::string options = "--size 1024x768 --max-frames 300 --time ";
    const ShowLog first = record(options + kOtherTime), second = record(options + kOtherTime);
    EXPECT_EQ(first.text, second.text);
    const ShowLog usual = record(options + kTime);
    EXPECT_EQ(first.frames, usual.frames);
    expectEvents(usual, withPicks(courseOf(k1024x768).events, kPicksAtTime));
    expectEvents(first, withPicks(courseOf(k1024x768).events, kPicksAtOtherTime));
    for (const char *bottom : {"768", "700"})
        EXPECT_EQ(record(options + kTime + " --workarea-bottom " + bottom).text, usual.text) << bottom;
}

} // namespace
