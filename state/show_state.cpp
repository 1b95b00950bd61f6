#include "show_state.h"

ShowState showState{};

HINSTANCE appInstance;
HWND mainWindow;
HCURSOR handCursor;
HCURSOR arrowCursor;

HDC desktopSurface;
HDC tintSurface;
HDC composeSurface;

HDC sceneImageDC, sceneMaskDC;
HDC flightImageDC, flightMaskDC;
HDC escapeImageDC, escapeMaskDC;
HDC elephantImageDC, elephantMaskDC;
HDC creatureImageDC, creatureMaskDC;
HDC mouthImageDC, mouthMaskDC;
