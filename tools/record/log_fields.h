// The fields of each frame's line in howdy-record's log, written once: the recorder writes them
// in this order and the tests read them by these names. Each row is the name logged and the
// value, in terms of the frame's number `frameNumber`, its start `tMs` and `showState`.
#pragma once

#define LOG_FIELDS(FIELD) \
    FIELD("frame", frameNumber) \
    FIELD("t_ms", tMs) \
    FIELD("scene", std::int32_t(showState.walkerScene)) \
    FIELD("walkerX", std::int32_t(showState.walkerX)) \
    FIELD("walkerY", std::int32_t(showState.walkerY)) \
    FIELD("frameDelay", showState.frameDelay) \
    FIELD("pulse", showState.pulseActive) \
    FIELD("mouth", showState.mouthActive) \
    FIELD("escape", showState.escapePhase) \
    FIELD("flight", showState.flightKind) \
    FIELD("elephant", showState.elephantActive) \
    FIELD("creature", showState.creatureActive) \
    FIELD("timerArmed", showState.exitTimerArmed)
