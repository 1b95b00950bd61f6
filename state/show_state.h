// The program's process-wide state: the animation variables that scenes and effects share, the
// window and its cursors, and the surfaces and sprite device contexts every frame is drawn with.
// Every other program folder includes this; it includes nothing of theirs.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// A field that the main thread reads while the render thread writes it. Each access is one
// whole 32-bit load or store; nothing orders it against other fields.
class SharedInt {
public:
    constexpr SharedInt(std::int32_t value = 0) : value_(value) {}
    SharedInt(const SharedInt &) = delete;
    SharedInt &operator=(const SharedInt &) = delete;

    operator std::int32_t() const { return value_.load(std::memory_order_relaxed); }
    SharedInt &operator=(std::int32_t value)
    {
        value_.store(value, std::memory_order_relaxed);
        return *this;
    }
    // Only the render thread writes, so a load and a store make a whole addition.
    SharedInt &operator+=(std::int32_t step) { return *this = *this + step; }
    SharedInt &operator-=(std::int32_t step) { return *this = *this - step; }

private:
    std::atomic<std::int32_t> value_;
};

// The walker's scenes, the value of walkerScene.
constexpr std::int32_t SCENE_WALK = 1;
constexpr std::int32_t SCENE_SWALLOW = 2;
constexpr std::int32_t SCENE_TRIP_WALK = 3;
constexpr std::int32_t SCENE_BADGE = 4;

// The sleep after each frame: the trip walk runs at twice the usual rate.
constexpr std::int32_t FRAME_DELAY = 120;
constexpr std::int32_t TRIP_FRAME_DELAY = 60;

// The timer that ends the show after the badge has come to rest.
constexpr UINT_PTR EXIT_TIMER = 1;
constexpr UINT EXIT_TIMER_DELAY = 4000;

// The effects' cues in ShowState. Each is CUE_IDLE until something starts it, and renderFrame
// runs an effect only while its cue is above CUE_IDLE. pulseActive, mouthActive, elephantActive
// and creatureActive are CUE_ACTIVE while their effect runs; the elephant and the creature end at
// CUE_FINISHED, which the trip waits for, as it does for flightKind.
constexpr std::int32_t CUE_FINISHED = -1;
constexpr std::int32_t CUE_IDLE = 0;
constexpr std::int32_t CUE_ACTIVE = 1;

// flightKind: the duck to launch or in flight, CUE_IDLE between ducks and CUE_FINISHED once the
// red duck has landed. Each escape launches its own duck.
constexpr std::int32_t FLIGHT_YELLOW_DUCK = 1;
constexpr std::int32_t FLIGHT_RED_DUCK = 2;
constexpr std::int32_t FLIGHT_MOUTH_DUCK = 3;

// escapePhase: CUE_IDLE, or which of the two Start-button escapes runs; the first launches the
// yellow duck, the second the red.
constexpr std::int32_t ESCAPE_FIRST = 1;
constexpr std::int32_t ESCAPE_SECOND = 2;

// mouthCycle counts the mouth's closings from MOUTH_NEVER_CLOSED; the landing of the first duck
// after a closing, the mouth's own, sets it to MOUTH_DUCK_LANDED for good.
constexpr std::int32_t MOUTH_DUCK_LANDED = -1;
constexpr std::int32_t MOUTH_NEVER_CLOSED = 0;

// exitTimerArmed: whether the badge has armed the exit timer.
constexpr std::int32_t EXIT_TIMER_UNARMED = 0;
constexpr std::int32_t EXIT_TIMER_ARMED = 1;

// Who touches what, and when: the main thread sets every field and handle below while it builds
// the show in WM_CREATE, before the render thread exists. From then on only the render thread
// writes ShowState, and only it uses the surfaces and sprite DCs. The main thread goes on
// reading walkerScene, walkerX and walkerY (the badge's hit test) and the handles of the window,
// instance and cursors, which never change again.
struct ShowState {
    std::int32_t screenWidth;
    std::int32_t screenHeight;
    std::int32_t frameDelay;
    SharedInt walkerScene;
    SharedInt walkerX;
    SharedInt walkerY;
    std::int32_t exitTimerArmed;
    std::int32_t pulseActive;
    std::int32_t mouthActive;
    std::int32_t mouthCycle;
    std::int32_t mouthX;
    std::int32_t mouthY;
    std::int32_t flightKind;
    std::int32_t flightStartX;
    std::int32_t flightBaseHeight;
    std::int32_t flightLift;
    std::int32_t flightStepX;
    std::int32_t escapePhase;
    std::int32_t elephantActive;
    std::int32_t creatureActive;
};

extern ShowState showState;

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HCURSOR handCursor;
extern HCURSOR arrowCursor;

// Full-screen memory surfaces: the desktop snapshot, the colour pulse's scratch and the back
// buffer that every frame is composed in.
extern HDC desktopSurface;
extern HDC tintSurface;
extern HDC composeSurface;

// Each sprite user's pair of device contexts: its sheet's image and mask are selected here.
extern HDC sceneImageDC, sceneMaskDC;
extern HDC flightImageDC, flightMaskDC;
extern HDC escapeImageDC, escapeMaskDC;
extern HDC elephantImageDC, elephantMaskDC;
extern HDC creatureImageDC, creatureMaskDC;
extern HDC mouthImageDC, mouthMaskDC;
