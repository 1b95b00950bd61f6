#include "show_state.h"

ShowState showState{};

HWND mainWindow;

HDC desktopSurface;
HDC tintSurface;
HDC composeSurface;

HDC sceneImageDC, sceneMaskDC;
HDC flightImageDC, flightMaskDC;
HDC escapeImageDC, escapeMaskDC;
HDC elephantImageDC, elephantMaskDC;
HDC creatureImageDC, creatureMaskDC;
HDC mouthImageDC, mouthMaskDC;
